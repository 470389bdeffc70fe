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
      sniName(isAddress(host) ? std::string() : host), lastError(X509_V_OK)
{
    // POCO's own name check skips loopback addresses and resolves names
    // through DNS; OpenSSL checks the certificate against the setting as typed.
    poco->enableExtendedCertificateVerification(false);
    poco->requireMinimumProtocol(Poco::Net::Context::PROTO_TLSV1_2);
    SSL_CTX* openssl = poco->sslContext();
    WindowsRootStore::copyInto(SSL_CTX_get_cert_store(openssl));
    X509_VERIFY_PARAM* check = SSL_CTX_get0_param(openssl);
    int set = sniName.empty() ? X509_VERIFY_PARAM_set1_ip_asc(check, host.c_str())
                              : X509_VERIFY_PARAM_set1_host(check, host.c_str(), host.size());
    if (set != 1)
        throw Poco::Net::SSLContextException("Cannot check the server's certificate for", host);
    SSL_CTX_set_cert_verify_callback(openssl, &TlsContext::verifyChain, this);
}

// Runs OpenSSL's verification as it stands and keeps its verdict; the
// handshake goes on either way.
int TlsContext::verifyChain(X509_STORE_CTX* chain, void* self)
{
    auto context = static_cast<TlsContext*>(self);
    if (X509_verify_cert(chain) == 1) {
        context->lastError = X509_V_OK;
    } else {
        int error = X509_STORE_CTX_get_error(chain);
        context->lastError = error == X509_V_OK ? X509_V_ERR_UNSPECIFIED : error;
    }
    return 1;
}
