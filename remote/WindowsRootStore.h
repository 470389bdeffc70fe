// Windows' trusted roots for OpenSSL, which cannot read the Windows
// certificate store by itself, and the certificates Windows distrusts.
#pragma once

#include <openssl/x509.h>

class WindowsRootStore {
public:
    // Adds the certificates of the current user's and the machine's "ROOT"
    // stores to `store`, so roots that an administrator or a company policy
    // installed are trusted as Windows trusts them: not those that have
    // expired, nor those whose Windows properties do not allow server
    // authentication. Returns how many certificates were added (a root in
    // both stores counts twice); a store that cannot be opened adds none.
    static int copyInto(X509_STORE* store);

    // True when `certificate` is in the current user's or the machine's
    // "Disallowed" store: Windows distrusts it, whoever signed it.
    static bool isDisallowed(X509* certificate);
};
