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
#include <Poco/NumberParser.h>
#include <Poco/URI.h>

#include <openssl/x509_vfy.h>

#include <chrono>
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

// What one request asks: the method, and for a GET either the first
// `maxBytes` of the body or, with `firstByteOnly`, a range of one byte.
struct Ask {
    std::string method;
    size_t maxBytes;
    bool firstByteOnly;
};

// The whole file's size: a range's total ("bytes 0-0/1234"), else the length.
int64_t sizeOf(const Poco::Net::HTTPResponse& header)
{
    if (header.getStatus() == Poco::Net::HTTPResponse::HTTP_PARTIAL_CONTENT) {
        std::string range = header.get("Content-Range", "");
        size_t slash = range.rfind('/');
        Poco::Int64 total = -1;
        if (slash == std::string::npos || !Poco::NumberParser::tryParse64(range.substr(slash + 1), total))
            return -1;
        return total;
    }
    return header.getContentLength64();
}

Response getOnce(const Poco::URI& uri, const Ask& ask, SocketWatch& watch)
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
    Poco::Net::HTTPRequest request(ask.method, uri.getPathAndQuery(), Poco::Net::HTTPMessage::HTTP_1_1);
    if (ask.firstByteOnly)
        request.set("Range", "bytes=0-0");
    session->sendRequest(request);
    Poco::Net::HTTPResponse header;
    std::istream& body = session->receiveResponse(header);
    Response response;
    response.status = header.getStatus();
    response.reason = header.getReason();
    if (header.has("Location"))
        response.url = header.get("Location");
    response.size = sizeOf(header);
    response.body.resize(ask.maxBytes);
    body.read(&response.body[0], static_cast<std::streamsize>(ask.maxBytes));
    response.body.resize(static_cast<size_t>(body.gcount()));
    return response;
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Redirects are followed within the one deadline.
Response fetch(const std::string& url, const Ask& ask, const Poco::Timespan& deadline,
               const std::function<bool()>& givingUp)
{
    SocketWatch watch(std::chrono::steady_clock::now() + std::chrono::milliseconds(deadline.totalMilliseconds()),
                      givingUp);
    Poco::URI uri(url);
    for (int redirects = 0;; ++redirects) {
        Response response;
        try {
            response = getOnce(uri, ask, watch);
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

Response get(const std::string& url, size_t maxBytes, const std::function<bool()>& givingUp)
{
    return fetch(url, {Poco::Net::HTTPRequest::HTTP_GET, maxBytes, false}, Timeouts::login, givingUp);
}

Response probe(const std::string& url, const Poco::Timespan& deadline, const std::function<bool()>& givingUp)
{
    auto started = std::chrono::steady_clock::now();
    Response response = fetch(url, {Poco::Net::HTTPRequest::HTTP_HEAD, 0, false}, deadline, givingUp);
    if (response.status != Poco::Net::HTTPResponse::HTTP_METHOD_NOT_ALLOWED &&
        response.status != Poco::Net::HTTPResponse::HTTP_NOT_IMPLEMENTED)
        return response;
    auto spent = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    Poco::Timespan left = deadline - Poco::Timespan(spent.count());
    return fetch(url, {Poco::Net::HTTPRequest::HTTP_GET, 1, true}, left > 0 ? left : Poco::Timespan(0), givingUp);
}

}
