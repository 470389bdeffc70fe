// Windows' trusted roots for OpenSSL, which cannot read the Windows
// certificate store by itself.
#pragma once

#include <openssl/x509.h>

class WindowsRootStore {
public:
    // Adds the certificates of the current user's and the machine's "ROOT"
    // stores to `store`, so roots that an administrator or a company policy
    // installed are trusted as Windows trusts them. Returns how many
    // certificates were read (a root in both stores counts twice); a store
    // that cannot be opened adds none.
    static int copyInto(X509_STORE* store);
};
