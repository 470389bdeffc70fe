#include "remote/HttpFetch.h"

#include "remote/Problem.h"
#include "remote/Timeouts.h"
#include "remote/TlsContext.h"

#include <Poco/Exception.h>
#include <Poco/Net/HTTPClientSession.h>
#include <Poco/Net/HTTPRequest.h>
#include <Poco/Net/HTTPResponse.h>
#include <Poco/Net/HTTPSClientSession.h>
#include <Poco/Net/SSLException.h>
#include <Poco/URI.h>

#include <openssl/x509_vfy.h>

#include <istream>
#include <memory>

namespace HttpFetch {

namespace {

const int maxRedirects = 5;

Response getOnce(const Poco::URI& uri, size_t maxBytes)
{
    std::unique_ptr<TlsContext> tls;
    std::unique_ptr<Poco::Net::HTTPClientSession> session;
    if (uri.getScheme() == "https") {
        tls = std::make_unique<TlsContext>(uri.getHost());
        session = std::make_unique<Poco::Net::HTTPSClientSession>(uri.getHost(), uri.getPort(), tls->context());
    } else if (uri.getScheme() == "http") {
        session = std::make_unique<Poco::Net::HTTPClientSession>(uri.getHost(), uri.getPort());
    } else {
        throw Poco::SyntaxException(uri.toString(), Problem::linkNotWeb);
    }
    session->setTimeout(Timeouts::session, Timeouts::session, Timeouts::session);
    Poco::Net::HTTPRequest request(Poco::Net::HTTPRequest::HTTP_GET, uri.getPathAndQuery(),
                                   Poco::Net::HTTPMessage::HTTP_1_1);
    session->sendRequest(request);
    if (tls) {
        long error = tls->verificationError();
        if (error != X509_V_OK)
            throw Poco::Net::CertificateValidationException(X509_verify_cert_error_string(error),
                                                            Problem::linkCertificateUntrusted);
    }
    Poco::Net::HTTPResponse header;
    std::istream& body = session->receiveResponse(header);
    Response response;
    response.status = header.getStatus();
    response.reason = header.getReason();
    if (header.has("Location"))
        response.url = header.get("Location");
    response.body.resize(maxBytes);
    body.read(&response.body[0], static_cast<std::streamsize>(maxBytes));
    response.body.resize(static_cast<size_t>(body.gcount()));
    return response;
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}

Response get(const std::string& url, size_t maxBytes)
{
    Poco::URI uri(url);
    for (int redirects = 0;; ++redirects) {
        Response response = getOnce(uri, maxBytes);
        if (!isRedirect(response.status) || response.url.empty() || redirects == maxRedirects) {
            response.url = uri.toString();
            return response;
        }
        uri.resolve(response.url);
    }
}

}
