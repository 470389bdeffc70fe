#include "remote/TlsContext.h"

#include "remote/WindowsRootStore.h"

#include <Poco/Net/IPAddress.h>
#include <Poco/Net/SSLException.h>

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

namespace {

// The handshake itself never fails on the chain: FtpSession decides after it.
Poco::Net::Context::Params handshakeParams()
{
    Poco::Net::Context::Params params;
    params.verificationMode = Poco::Net::Context::VERIFY_NONE;
    params.loadDefaultCAs = false;
    params.cipherList = "DEFAULT";
    return params;
}

bool isAddress(const std::string& host)
{
    Poco::Net::IPAddress address;
    return Poco::Net::IPAddress::tryParse(host, address);
}

// Keys and signatures of at least 112 bits of security: RSA and DH of 2048
// bits, no SHA-1 signatures. (OpenSSL's built-in level is 1; Debian raises
// it to 2 through a configuration file that this build never reads.)
const int securityLevel = 2;

typedef int (*SecurityCheck)(const SSL*, const SSL_CTX*, int, int, int, void*, void*);
SecurityCheck handshakeSecurity = nullptr;

// The handshake applies the level to all but the server's certificates: a
// weak key or signature there would end it with OpenSSL's error, where the
// chain's verdict afterwards, at the same level, lets the user decide.
int deferCertificateChecks(const SSL* ssl, const SSL_CTX* context, int operation, int bits, int nid, void* other,
                           void* extra)
{
    int checked = operation & ~SSL_SECOP_PEER;
    if ((operation & SSL_SECOP_PEER) &&
        (checked == SSL_SECOP_EE_KEY || checked == SSL_SECOP_CA_KEY || checked == SSL_SECOP_CA_MD))
        return 1;
    return handshakeSecurity(ssl, context, operation, bits, nid, other, extra);
}

}

TlsContext::TlsContext(const std::string& host)
    : poco(new Poco::Net::Context(Poco::Net::Context::TLS_CLIENT_USE, handshakeParams())),
      sniName(isAddress(host) ? std::string() : host), presented(nullptr), presentedChain(nullptr),
      rootsRead(false), verdictKnown(false), lastError(X509_V_ERR_UNSPECIFIED)
{
    // POCO's own name check skips loopback addresses and resolves names
    // through DNS; OpenSSL checks the certificate against the setting as typed.
    poco->enableExtendedCertificateVerification(false);
    poco->requireMinimumProtocol(Poco::Net::Context::PROTO_TLSV1_2);
    SSL_CTX* openssl = poco->sslContext();
    SSL_CTX_set_security_level(openssl, securityLevel);
    if (!handshakeSecurity)
        handshakeSecurity = SSL_CTX_get_security_callback(openssl);
    SSL_CTX_set_security_callback(openssl, deferCertificateChecks);
    // A certificate shown in a renegotiation would never be checked.
    SSL_CTX_set_options(openssl, SSL_OP_NO_RENEGOTIATION);
    X509_VERIFY_PARAM* check = SSL_CTX_get0_param(openssl);
    // "f*.example" names no host, and a certificate with names has no say in its CN.
    X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS | X509_CHECK_FLAG_NEVER_CHECK_SUBJECT);
    int set = sniName.empty() ? X509_VERIFY_PARAM_set1_ip_asc(check, host.c_str())
                              : X509_VERIFY_PARAM_set1_host(check, host.c_str(), host.size());
    if (set != 1)
        throw Poco::Net::SSLContextException("Cannot check the server's certificate for", host);
    SSL_CTX_set_cert_verify_callback(openssl, &TlsContext::keepChain, this);
}

TlsContext::~TlsContext()
{
    forgetPresentedChain();
}

// Keeps the certificate and the chain the server sent; the handshake goes
// on either way.
int TlsContext::keepChain(X509_STORE_CTX* chain, void* self)
{
    auto context = static_cast<TlsContext*>(self);
    context->forgetPresentedChain();
    context->presented = X509_STORE_CTX_get0_cert(chain);
    X509_up_ref(context->presented);
    STACK_OF(X509)* untrusted = X509_STORE_CTX_get0_untrusted(chain);
    context->presentedChain = untrusted ? X509_chain_up_ref(untrusted) : nullptr;
    return 1;
}

void TlsContext::forgetPresentedChain()
{
    X509_free(presented);
    presented = nullptr;
    sk_X509_pop_free(presentedChain, X509_free);
    presentedChain = nullptr;
    verdictKnown = false;
}

long TlsContext::verificationError()
{
    if (!verdictKnown && presented) {
        lastError = verifyPresentedChain();
        verdictKnown = true;
    }
    return lastError;
}

// As OpenSSL itself verifies a server during the handshake: the SSL server
// purpose, the context's name or address check and its security level for
// every key and signature of the chain; and no certificate of the chain
// may be one Windows distrusts.
long TlsContext::verifyPresentedChain()
{
    SSL_CTX* openssl = poco->sslContext();
    X509_STORE* store = SSL_CTX_get_cert_store(openssl);
    if (!rootsRead) {
        WindowsRootStore::copyInto(store);
        rootsRead = true;
    }
    X509_STORE_CTX* check = X509_STORE_CTX_new();
    if (!check || X509_STORE_CTX_init(check, store, presented, presentedChain) != 1) {
        X509_STORE_CTX_free(check);
        return X509_V_ERR_UNSPECIFIED;
    }
    X509_STORE_CTX_set_default(check, "ssl_server");
    X509_VERIFY_PARAM* param = X509_STORE_CTX_get0_param(check);
    X509_VERIFY_PARAM_set1(param, SSL_CTX_get0_param(openssl));
    X509_VERIFY_PARAM_set_auth_level(param, SSL_CTX_get_security_level(openssl));
    long error = X509_V_OK;
    if (X509_verify_cert(check) != 1) {
        error = X509_STORE_CTX_get_error(check);
        if (error == X509_V_OK)
            error = X509_V_ERR_UNSPECIFIED;
    } else if (hasDisallowed(X509_STORE_CTX_get0_chain(check))) {
        error = X509_V_ERR_CERT_REJECTED;
    }
    X509_STORE_CTX_free(check);
    return error;
}

bool TlsContext::hasDisallowed(STACK_OF(X509)* chain)
{
    for (int i = 0; i < sk_X509_num(chain); ++i) {
        if (WindowsRootStore::isDisallowed(sk_X509_value(chain, i)))
            return true;
    }
    return false;
}
