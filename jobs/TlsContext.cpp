#include "jobs/TlsContext.h"

#include "jobs/WindowsRootStore.h"

#include <Poco/Net/IPAddress.h>
#include <Poco/Net/SSLException.h>

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

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
    X509_VERIFY_PARAM* check = SSL_CTX_get0_param(openssl);
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
// purpose and the context's name or address check.
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
    X509_VERIFY_PARAM_set1(X509_STORE_CTX_get0_param(check), SSL_CTX_get0_param(openssl));
    long error = X509_V_OK;
    if (X509_verify_cert(check) != 1) {
        error = X509_STORE_CTX_get_error(check);
        if (error == X509_V_OK)
            error = X509_V_ERR_UNSPECIFIED;
    }
    X509_STORE_CTX_free(check);
    return error;
}
