#include "jobs/WindowsRootStore.h"

#include <windows.h>
#include <wincrypt.h>

namespace {

int copyStore(DWORD location, X509_STORE* store)
{
    HCERTSTORE roots = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, location | CERT_STORE_READONLY_FLAG, L"ROOT");
    if (!roots)
        return 0;
    int added = 0;
    PCCERT_CONTEXT windowsCertificate = nullptr;
    while ((windowsCertificate = CertEnumCertificatesInStore(roots, windowsCertificate)) != nullptr) {
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
