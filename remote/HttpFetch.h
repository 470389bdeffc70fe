// One GET of a web address over HTTP or HTTPS, as a browser would fetch a
// link: redirects followed, an HTTPS server's certificate checked against
// Windows' roots and its name (TlsContext). Every connect, read and write is
// bounded by the session's timeout.
#pragma once

#include <string>

namespace HttpFetch {

struct Response {
    int status = 0;
    std::string reason;  // the server's words: "Not Found"
    std::string body;    // at most the bytes asked for
    std::string url;     // the last address, after redirects
};

// Throws Poco::Net::NetException (or a TimeoutException) when the web server
// cannot be reached or breaks off; CertificateValidationException with
// Problem::linkCertificateUntrusted and OpenSSL's reason when an HTTPS
// server's certificate would not be trusted; SyntaxException (with
// Problem::linkNotWeb) for an address that is no http or https address.
Response get(const std::string& url, size_t maxBytes);

}
