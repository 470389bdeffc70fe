#include "remote/HttpFetch.h"

#include "remote/Problem.h"
#include "remote/SocketWatch.h"
#include "remote/Timeouts.h"
#include "remote/TlsContext.h"

#include <Poco/Exception.h>
#include <Poco/Net/HTTPClientSession.h>
#include <Poco/Net/HTTPRequest.h>
#include <Poco/Net/HTTPResponse.h>
#include <Poco/Net/HTTPSClientSession.h>
#include <Poco/Net/NetException.h>
#include <Poco/Net/SSLException.h>
#include <Poco/URI.h>

#include <openssl/x509_vfy.h>

#include <istream>
#include <memory>

namespace HttpFetch {

namespace {

const int maxRedirects = 5;

// A session connected before the request is made, so that an HTTPS
// server's certificate is judged first: nothing of the request reaches a
// server the contact's browser would not trust. Kept alive, so that the
// request goes over that same connection.
template <class Session>
class OpenedSession : public Session {
public:
    using Session::Session;

    void open(SocketWatch& watch)
    {
        this->setTimeout(Timeouts::session);
        this->setKeepAlive(true);
        watch.watch(this->socket());
        this->reconnect();
    }
};

Response getOnce(const Poco::URI& uri, size_t maxBytes, SocketWatch& watch)
{
    std::unique_ptr<TlsContext> tls;
    std::unique_ptr<Poco::Net::HTTPClientSession> session;
    if (uri.getScheme() == "https") {
        tls = std::make_unique<TlsContext>(uri.getHost());
        auto opened = std::make_unique<OpenedSession<Poco::Net::HTTPSClientSession>>(uri.getHost(), uri.getPort(),
                                                                                     tls->context());
        opened->open(watch);
        long error = tls->verificationError();
        if (error != X509_V_OK)
            throw Poco::Net::CertificateValidationException(X509_verify_cert_error_string(error),
                                                            Problem::linkCertificateUntrusted);
        session = std::move(opened);
    } else if (uri.getScheme() == "http") {
        auto opened = std::make_unique<OpenedSession<Poco::Net::HTTPClientSession>>(uri.getHost(), uri.getPort());
        opened->open(watch);
        session = std::move(opened);
    } else {
        throw Poco::SyntaxException(uri.toString(), Problem::linkNotWeb);
    }
    Poco::Net::HTTPRequest request(Poco::Net::HTTPRequest::HTTP_GET, uri.getPathAndQuery(),
                                   Poco::Net::HTTPMessage::HTTP_1_1);
    session->sendRequest(request);
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

Response get(const std::string& url, size_t maxBytes, const std::function<bool()>& givingUp)
{
    SocketWatch watch(std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(Timeouts::login.totalMilliseconds()),
                      givingUp);
    Poco::URI uri(url);
    for (int redirects = 0;; ++redirects) {
        Response response;
        try {
            response = getOnce(uri, maxBytes, watch);
        } catch (const Poco::Exception&) {
            watch.throwIfEnded();
            throw;
        }
        if (!isRedirect(response.status) || response.url.empty() || redirects == maxRedirects) {
            response.url = uri.toString();
            return response;
        }
        Poco::URI next(uri);
        next.resolve(response.url);
        if (uri.getScheme() == "https" && next.getScheme() != "https")
            throw Poco::Net::HTTPException(next.toString(), Problem::linkLeavesHttps);
        uri = next;
    }
}

}
