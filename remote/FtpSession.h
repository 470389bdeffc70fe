// An FTP session whose connect and welcome are bounded by its timeout too:
// POCO's own host-and-port constructor connects without any time limit.
// With explicit TLS (AUTH TLS) or implicit TLS (from the connect on) its
// control and data connections are both protected, or the session fails: it
// never falls back to clear text once the server agreed to TLS.
#pragma once

#include "remote/CertificateTrust.h"
#include "remote/FtpSettings.h"
#include "remote/NameEncoding.h"
#include "remote/NameListing.h"
#include "remote/ServerAddress.h"
#include "remote/TlsContext.h"

#include <Poco/Net/FTPClientSession.h>
#include <Poco/Timespan.h>

#include <cstdint>
#include <functional>
#include <memory>

class FtpSession : public Poco::Net::FTPClientSession {
public:
    static const Poco::Timespan timeout;  // 5 seconds
    static const Poco::Timespan finalReplyTimeout;  // 120 seconds
    static const Poco::Timespan givingUpInterval;   // 100 ms
    static const Poco::Timespan loginTimeout;       // 30 seconds
    static const Poco::Timespan drainTimeout;       // 1 second

    // Connects. Throws Poco::TimeoutException when the server does not accept
    // in time, NetException when the address cannot be reached or resolved.
    explicit FtpSession(const ServerAddress& address);

    // The names in the working directory (NLST), read whole; the listing is
    // finished before anything else is sent, since replies to commands sent
    // meanwhile come back out of step. Throws FTPException when the server
    // refuses, or when the listing passes NameListing's bounds.
    NameListing listNames();

    // Reads the welcome and starts TLS as the settings ask (enter's first
    // step, apart so that a caller can tell the steps' failures apart); with
    // implicit TLS the handshake comes first and the welcome over it. Nothing
    // of the login is sent before TLS and the certificate are settled:
    // `trust` decides on a certificate Windows does not vouch for. Throws
    // TimeoutException when the server does not greet in time; FTPException
    // when it greets with a refusal, or refuses AUTH TLS (unless TLS is only
    // wanted when offered and the server does not know it); SSLException (a
    // NetException) when TLS fails (with Problem::implicitTlsFailed for an
    // implicit handshake) or the certificate is refused.
    void startTls(TlsMode mode, const CertificateTrust& trust);

    // Logs in and agrees with the server how names travel; over TLS the
    // data connections are protected too (PBSZ 0, PROT P). The user name and
    // password go in the code page when it holds them exactly, as they
    // always have, else in UTF-8. Throws FTPException when the server
    // refuses any step.
    void logIn(const FtpSettings& settings);

    // Changes to the configured directory (none when `dir` is empty). Throws
    // FTPException when the server refuses, or when the directory has
    // characters that the session's encoding cannot carry.
    void enterDirectory(const std::wstring& dir);

    const NameEncoding& nameEncoding() const { return encoding; }

    // Ends a sent upload. The server answers once it has stored what was
    // still in flight, which on a slow link takes longer than the session's
    // timeout; so the wait for that answer is longer. Until the answer comes
    // the user may still take the file back: the data connection is only
    // half closed, and `givingUp` is asked every givingUpInterval. Returns
    // false when it says yes first; the upload is then left open for
    // endUploadAbruptly. Over TLS the end is the close_notify alert, and
    // what the server still sent is read before the data connection closes.
    // Throws FTPException when the server refuses the file,
    // TimeoutException when no answer comes in time.
    bool endUploadPatiently(const std::function<bool()>& givingUp);

    // The size of `name` as the server tells it (SIZE), or -1 when it does not.
    int64_t fileSize(const std::string& name);
    // When `name` was last changed, in seconds since 1970 (MDTM, which
    // servers answer in UTC), or -1 when the server does not tell.
    int64_t modificationTime(const std::string& name);

    // Opens `name` again to write what follows its first `offset` bytes:
    // REST and STOR, or APPE where the server refuses REST before STOR (as
    // ProFTPD does unless told otherwise). Where it refuses both, the file is
    // removed and stored anew, and `offset` becomes 0. Throws what
    // beginUpload throws.
    std::ostream& continueUpload(const std::string& name, int64_t& offset);

    // Ends an upload that is given up: the data connection is reset rather
    // than closed, so the server stores none of what still waits in the
    // socket's buffers and answers at once. Throws what endUpload throws.
    void endUploadAbruptly();

    // Says QUIT, ignoring any failure, and closes the control connection, as
    // close() does. After close() the base destructor's own close() would
    // throw and catch, which costs a millisecond the first time in a process.
    void quit();

protected:
    // Passive, as the base's, but the data connection goes to the control
    // connection's peer with the port of the reply: a server behind NAT names
    // its private address in PASV. The connect, and every send and receive
    // after it, are bounded by the timeout. Over TLS the data connection
    // resumes the control connection's TLS session and must show the
    // accepted certificate; when its TLS fails, a file whose STOR the server
    // accepted is removed again.
    Poco::Net::StreamSocket establishDataConnection(const std::string& command, const std::string& arg) override;

private:
    void receiveWelcome();
    void secureControlConnection(const CertificateTrust& trust);
    std::ostream& beginAppend(const std::string& name);
    void loginPatiently(const std::string& username, const std::string& password);
    void protectDataConnections();
    void agreeOnEncoding();
    Poco::Net::StreamSocket secureDataConnection(const Poco::Net::StreamSocket& socket);
    void abandonDataConnection(Poco::Net::StreamSocket& socket, const std::string& command, const std::string& arg);
    void drainSecureData();

    NameEncoding encoding;
    std::string serverHost;
    std::unique_ptr<TlsContext> tls;
    std::string acceptedFingerprint;
};
