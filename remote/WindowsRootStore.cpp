#include "remote/WindowsRootStore.h"

#include <windows.h>
#include <wincrypt.h>

#include <openssl/evp.h>

#include <cstring>
#include <vector>

namespace {

HCERTSTORE openStore(DWORD location, const wchar_t* name)
{
    return CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, location | CERT_STORE_READONLY_FLAG, name);
}

// Without the property a root serves every purpose; with it, only those
// listed. An empty list means every purpose when Windows says the property
// is not there (CRYPT_E_NOT_FOUND), and none otherwise.
bool servesServerAuthentication(PCCERT_CONTEXT certificate)
{
    const DWORD notFound = static_cast<DWORD>(CRYPT_E_NOT_FOUND);
    DWORD size = 0;
    if (!CertGetEnhancedKeyUsage(certificate, CERT_FIND_PROP_ONLY_ENHKEY_USAGE_FLAG, nullptr, &size))
        return GetLastError() == notFound;
    std::vector<BYTE> buffer(size);
    auto usage = reinterpret_cast<PCERT_ENHKEY_USAGE>(buffer.data());
    SetLastError(0);
    if (!CertGetEnhancedKeyUsage(certificate, CERT_FIND_PROP_ONLY_ENHKEY_USAGE_FLAG, usage, &size))
        return GetLastError() == notFound;
    if (usage->cUsageIdentifier == 0)
        return GetLastError() == notFound;
    for (DWORD i = 0; i < usage->cUsageIdentifier; ++i) {
        if (strcmp(usage->rgpszUsageIdentifier[i], szOID_PKIX_KP_SERVER_AUTH) == 0)
            return true;
    }
    return false;
}

bool isUsableRoot(PCCERT_CONTEXT certificate)
{
    return CertVerifyTimeValidity(nullptr, certificate->pCertInfo) == 0 && servesServerAuthentication(certificate);
}

bool inStore(DWORD location, const wchar_t* name, const CRYPT_HASH_BLOB& thumbprint)
{
    HCERTSTORE store = openStore(location, name);
    if (!store)
        return false;
    PCCERT_CONTEXT found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_SHA1_HASH, &thumbprint,
                                                      nullptr);
    CertFreeCertificateContext(found);
    CertCloseStore(store, 0);
    return found != nullptr;
}

int copyStore(DWORD location, X509_STORE* store)
{
    HCERTSTORE roots = openStore(location, L"ROOT");
    if (!roots)
        return 0;
    int added = 0;
    PCCERT_CONTEXT windowsCertificate = nullptr;
    while ((windowsCertificate = CertEnumCertificatesInStore(roots, windowsCertificate)) != nullptr) {
        if (!isUsableRoot(windowsCertificate))
            continue;
        const unsigned char* encoded = windowsCertificate->pbCertEncoded;
        X509* certificate = d2i_X509(nullptr, &encoded, static_cast<long>(windowsCertificate->cbCertEncoded));
        if (certificate && X509_STORE_add_cert(store, certificate) == 1)
            ++added;
        X509_free(certificate);
    }
    CertCloseStore(roots, 0);
    return added;
}

}

int WindowsRootStore::copyInto(X509_STORE* store)
{
    return copyStore(CERT_SYSTEM_STORE_CURRENT_USER, store) + copyStore(CERT_SYSTEM_STORE_LOCAL_MACHINE, store);
}

// Windows finds a certificate by its SHA-1 thumbprint.
bool WindowsRootStore::isDisallowed(X509* certificate)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(certificate, EVP_sha1(), digest, &length) != 1)
        return false;
    CRYPT_HASH_BLOB thumbprint = {length, digest};
    return inStore(CERT_SYSTEM_STORE_CURRENT_USER, L"Disallowed", thumbprint) ||
           inStore(CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Disallowed", thumbprint);
}
