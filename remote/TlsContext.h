// The TLS settings of one FTP session: OpenSSL's own check of the server's
// name or address against its certificate, Windows' trusted roots, and no
// verdict during the handshake. The chain the server presented is kept for
// afterwards, when the user can be asked about an untrusted certificate
// before anything of the login is sent.
#pragma once

#include <Poco/Net/Context.h>

#include <string>

class TlsContext {
public:
    // `host` is the server setting's host: a DNS name, sent as SNI, or an
    // IPv4 or IPv6 address, checked as the certificate's IP entry. Throws
    // Poco::Net::SSLContextException when OpenSSL cannot set it up.
    explicit TlsContext(const std::string& host);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    Poco::Net::Context::Ptr context() const { return poco; }

    // The name for SNI: the host, or empty for an address.
    const std::string& serverName() const { return sniName; }

    // X509_V_OK when the chain of the last full handshake leads to one of
    // Windows' roots, names the host (no partial wildcards, no CN beside
    // names), holds no key or signature below security level 2 and nothing
    // Windows distrusts; otherwise OpenSSL's first X509_V_ERR_* code. The roots are read on the first call: opening
    // Windows' stores takes a quarter of a second under Wine, and a
    // certificate the user pinned needs no verdict.
    long verificationError();

private:
    static int keepChain(X509_STORE_CTX* chain, void* self);
    long verifyPresentedChain();
    static bool hasDisallowed(STACK_OF(X509)* chain);
    void forgetPresentedChain();

    Poco::Net::Context::Ptr poco;
    std::string sniName;
    X509* presented;
    STACK_OF(X509)* presentedChain;
    bool rootsRead;
    bool verdictKnown;
    long lastError;
};
