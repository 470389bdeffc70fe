// add-root-certificate.exe FILE [STORE]: adds the DER certificate in FILE to
// the current user's STORE ("ROOT" unless told), as a company policy adds its
// own root, or distrusts a certificate ("Disallowed"). The end-to-end tests
// use it in their Wine prefix. Exits 0 on success.
#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <vector>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2 && argc != 3)
        return 2;
    std::ifstream file(argv[1], std::ios::binary);
    std::vector<BYTE> der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    HCERTSTORE roots = CertOpenSystemStoreW(0, argc == 3 ? argv[2] : L"ROOT");
    if (der.empty() || !roots)
        return 1;
    BOOL added = CertAddEncodedCertificateToStore(roots, X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                                  CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    CertCloseStore(roots, 0);
    return added ? 0 : 1;
}
