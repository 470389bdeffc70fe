// One GET of a web address over HTTP or HTTPS, or a probe of it, as a
// browser would fetch a link: redirects followed (never from https to http), an HTTPS server's
// certificate checked against Windows' roots and its name (TlsContext)
// before the request goes. The whole fetch, redirects included, has one
// deadline, and the caller may give up at any moment.
#pragma once

#include <Poco/Timespan.h>

#include <cstdint>
#include <functional>
#include <string>

namespace HttpFetch {

struct Response {
    int status = 0;
    std::string reason;  // the server's words: "Not Found"
    std::string body;    // at most the bytes asked for
    std::string url;     // the last address, after redirects
    int64_t size = -1;   // of the whole file, where the server tells (probe only)
};

// Throws Poco::Net::NetException when the web server cannot be reached or
// breaks off; TimeoutException when it has not answered within the login
// timeout; CertificateValidationException with Problem::linkCertificateUntrusted
// and OpenSSL's reason when an HTTPS server's certificate would not be
// trusted; HTTPException with Problem::linkLeavesHttps (and the address)
// for a redirect from https to http; SyntaxException (with
// Problem::linkNotWeb) for an address that is no http or https address; a
// plain Poco::Exception within a second of `givingUp` (asked from another
// thread; may be empty) saying yes.
Response get(const std::string& url, size_t maxBytes, const std::function<bool()>& givingUp = nullptr);

// Whether the link answers, without its body: HEAD, or a GET of its first
// byte where the server refuses HEAD (405, 501), with the file's size when
// the server tells it. Redirects, the certificate and what it throws as get,
// but the whole probe has `deadline`.
Response probe(const std::string& url, const Poco::Timespan& deadline,
               const std::function<bool()>& givingUp = nullptr);

}
