#include "remote/FtpSession.h"

#include "plugin/TextConversion.h"
#include "remote/Problem.h"
#include "remote/Timeouts.h"

#include <Poco/Net/DialogSocket.h>
#include <Poco/Net/FTPClientSession.h>
#include <Poco/Net/NetException.h>
#include <Poco/Net/SSLException.h>
#include <Poco/Net/SecureStreamSocket.h>
#include <Poco/Net/SecureStreamSocketImpl.h>
#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/SocketStream.h>
#include <Poco/Net/StreamSocketImpl.h>
#include <Poco/Net/StreamSocket.h>
#include <Poco/DateTime.h>
#include <Poco/Timestamp.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>

const Poco::Timespan FtpSession::timeout = Timeouts::session;
const Poco::Timespan FtpSession::finalReplyTimeout(120, 0);
const Poco::Timespan FtpSession::givingUpInterval(0, 100000);
const Poco::Timespan FtpSession::loginTimeout = Timeouts::login;
const Poco::Timespan FtpSession::drainTimeout(1, 0);

namespace {

// Runs STEP with the control connection's replies awaited up to WAIT, then
// restores the session's timeout, whatever STEP did.
template <typename Step>
void withReplyWait(Poco::Net::DialogSocket& control, const Poco::Timespan& wait, Step step)
{
    control.setReceiveTimeout(wait);
    try {
        step();
    } catch (...) {
        control.setReceiveTimeout(FtpSession::timeout);
        throw;
    }
    control.setReceiveTimeout(FtpSession::timeout);
}

std::string credential(const std::wstring& text)
{
    std::string inCodePage;
    return TextConversion::toAnsiExact(text, inCodePage) ? inCodePage : TextConversion::toUtf8(text);
}

Poco::Net::StreamSocket connectBounded(const ServerAddress& address)
{
    Poco::Net::StreamSocket socket;
    socket.connect(Poco::Net::SocketAddress(address.host, address.port), FtpSession::timeout);
    return socket;
}

}

// The base reads no welcome (it would wait up to its 30-second default);
// startTls reads it with the session's own timeout, after the handshake
// where TLS is implicit.
FtpSession::FtpSession(const ServerAddress& address)
    : Poco::Net::FTPClientSession(connectBounded(address), false), serverHost(address.host)
{
    setTimeout(timeout);
}

void FtpSession::receiveWelcome()
{
    std::string response;
    int status = _pControlSocket->receiveStatusMessage(response);
    if (!isPositiveCompletion(status))
        throw Poco::Net::FTPException("Cannot receive status message", response, status);
}

// With WhenOffered only a refusal of AUTH TLS itself (a 5xx reply) leaves
// the session in clear text, and only with a server that never did TLS
// before; once the server agreed, every failure throws. A server that
// speaks plain FTP on an implicit port sends its welcome where the
// handshake expects TLS, which fails at once.
void FtpSession::startTls(TlsMode mode, const CertificateTrust& trust)
{
    if (mode == TlsMode::Implicit) {
        try {
            secureControlConnection(trust);
        } catch (const Poco::Net::SSLException& failure) {
            if (failure.code() != 0)
                throw;
            throw Poco::Net::SSLException(failure.message(), Problem::implicitTlsFailed);
        }
        receiveWelcome();
        return;
    }
    receiveWelcome();
    if (mode == TlsMode::Off)
        return;
    std::string response;
    int status = sendCommand("AUTH", "TLS", response);
    if (!isPositiveCompletion(status)) {
        if (mode == TlsMode::WhenOffered && isPermanentNegative(status)) {
            if (!trust.expectsTls())
                return;
            throw Poco::Net::FTPException(response, Problem::tlsNoLongerOffered);
        }
        throw Poco::Net::FTPException(response, Problem::tlsRefused);
    }
    secureControlConnection(trust);
}

// The certificate is judged before anything else goes over the connection.
void FtpSession::secureControlConnection(const CertificateTrust& trust)
{
    tls = std::make_unique<TlsContext>(serverHost);
    Poco::Net::SecureStreamSocket secure =
        Poco::Net::SecureStreamSocket::attach(*_pControlSocket, tls->serverName(), tls->context());
    *_pControlSocket = secure;
    Poco::Net::X509Certificate certificate = secure.peerCertificate();
    trust.approve(certificate, [this] { return tls->verificationError(); });
    acceptedFingerprint = CertificateTrust::fingerprint(certificate);
    trust.rememberTls();
}

NameListing FtpSession::listNames()
{
    try {
        NameListing listing = NameListing::read(beginList("", false));
        endList();
        return listing;
    } catch (const std::length_error&) {
        throw Poco::Net::FTPException("", Problem::listingTooLong);
    }
}

// Only the reply's port is used, as curl and FileZilla do by default; an
// announced address is no better than the peer's when it equals it. The
// data connection has the session's timeouts from its connect on, for its
// TLS handshake, the listing and the file alike: a server that stops
// reading or sending ends the run instead of holding it.
Poco::Net::StreamSocket FtpSession::establishDataConnection(const std::string& command, const std::string& arg)
{
    Poco::Net::SocketAddress announced = sendPassiveCommand();
    Poco::Net::StreamSocket socket;
    socket.connect(Poco::Net::SocketAddress(_pControlSocket->peerAddress().host(), announced.port()), timeout);
    socket.setSendTimeout(timeout);
    socket.setReceiveTimeout(timeout);
    std::string response;
    int status = sendCommand(command, arg, response);
    if (!isPositivePreliminary(status))
        throw Poco::Net::FTPException(command + " command failed", response, status);
    if (!tls)
        return socket;
    try {
        return secureDataConnection(socket);
    } catch (const Poco::Exception&) {
        abandonDataConnection(socket, command, arg);
        throw;
    }
}

// The server has begun the command; once it has answered the broken
// transfer, an upload leaves nothing behind (the file is empty by then).
// The failure of the data connection is what the user hears of.
void FtpSession::abandonDataConnection(Poco::Net::StreamSocket& socket, const std::string& command,
                                       const std::string& arg)
{
    try {
        socket.close();
        std::string response;
        _pControlSocket->receiveStatusMessage(response);
        if (command == "STOR")
            remove(arg);
    } catch (const Poco::Exception&) {
    }
}

// Servers that insist on the control connection's session (vsftpd by
// default) refuse a data connection that does not resume it; one that makes
// a full handshake must show the same certificate the user accepted.
Poco::Net::StreamSocket FtpSession::secureDataConnection(const Poco::Net::StreamSocket& socket)
{
    auto control = dynamic_cast<Poco::Net::SecureStreamSocketImpl*>(_pControlSocket->impl());
    if (!control)
        throw Poco::Net::SSLException("The control connection is not secure");
    Poco::Net::SecureStreamSocket secure = Poco::Net::SecureStreamSocket::attach(
        socket, tls->serverName(), tls->context(), control->currentSession());
    if (CertificateTrust::fingerprint(secure.peerCertificate()) != acceptedFingerprint)
        throw Poco::Net::CertificateValidationException("The data connection shows another certificate");
    return secure;
}

// TLS 1.3 servers send session tickets on the data connection too; closing
// it with them unread would reset it. The server has answered by now, so
// what is left comes at once, up to its own close_notify.
void FtpSession::drainSecureData()
{
    Poco::Net::SocketImpl* data = _pDataStream ? _pDataStream->rdbuf()->socketImpl() : nullptr;
    if (!dynamic_cast<Poco::Net::SecureStreamSocketImpl*>(data))
        return;
    char buffer[4096];
    try {
        data->setReceiveTimeout(drainTimeout);
        while (data->receiveBytes(buffer, sizeof(buffer)) > 0) {
        }
    } catch (const Poco::Exception&) {
    }
}

void FtpSession::endUploadAbruptly()
{
    if (_pDataStream)
        _pDataStream->rdbuf()->socketImpl()->setLinger(true, 0);
    endUpload();
}

// The end of the file is sent with a half close (over TLS, close_notify and
// a half close); the socket itself stays until the answer, so that a reset
// can still discard what waits in its buffers. Once the answer is there it
// is read with the session's timeout.
bool FtpSession::endUploadPatiently(const std::function<bool()>& givingUp)
{
    if (_pDataStream)
        _pDataStream->rdbuf()->socketImpl()->shutdownSend();
    Poco::Timestamp waitStarted;
    while (!_pControlSocket->poll(givingUpInterval, Poco::Net::Socket::SELECT_READ)) {
        if (givingUp())
            return false;
        if (waitStarted.isElapsed(finalReplyTimeout.totalMicroseconds()))
            throw Poco::TimeoutException("No answer to the end of the upload");
    }
    drainSecureData();
    endUpload();
    return true;
}

int64_t FtpSession::fileSize(const std::string& name)
{
    std::string reply;
    if (sendCommand("SIZE", name, reply) != 213)
        return -1;
    const char* digits = reply.c_str() + std::min<size_t>(reply.size(), 4);
    char* end = nullptr;
    long long size = std::strtoll(digits, &end, 10);
    return end != digits && size >= 0 ? size : -1;
}

int64_t FtpSession::modificationTime(const std::string& name)
{
    std::string reply;
    if (sendCommand("MDTM", name, reply) != 213 || reply.size() < 18)
        return -1;
    std::string digits = reply.substr(4, 14);
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    auto part = [&](size_t at, size_t length) { return std::atoi(digits.substr(at, length).c_str()); };
    int year = part(0, 4), month = part(4, 2), day = part(6, 2), hour = part(8, 2), minute = part(10, 2),
        second = part(12, 2);
    if (!Poco::DateTime::isValid(year, month, day, hour, minute, second))
        return -1;
    return Poco::DateTime(year, month, day, hour, minute, second).timestamp().epochTime();
}

// A server that takes REST but then refuses STOR has the restart cleared
// before APPE, so that it cannot apply to that command too.
std::ostream& FtpSession::continueUpload(const std::string& name, int64_t& offset)
{
    if (offset > 0) {
        std::string reply;
        if (sendCommand("REST", std::to_string(offset), reply) == 350) {
            try {
                return beginUpload(name);
            } catch (const Poco::Net::FTPException&) {
                sendCommand("REST", "0", reply);
            }
        }
        try {
            return beginAppend(name);
        } catch (const Poco::Net::FTPException&) {
        }
    }
    // Servers that refuse to overwrite (ProFTPD's default) take the file anew
    // once their partial one is gone.
    offset = 0;
    try {
        remove(name);
    } catch (const Poco::Net::FTPException&) {
    }
    return beginUpload(name);
}

// As beginUpload, with APPE for STOR.
std::ostream& FtpSession::beginAppend(const std::string& name)
{
    delete _pDataStream;
    _pDataStream = nullptr;
    _pDataStream = new Poco::Net::SocketStream(establishDataConnection("APPE", name));
    return *_pDataStream;
}

void FtpSession::logIn(const FtpSettings& settings)
{
    loginPatiently(credential(settings.username), credential(settings.password));
    if (tls)
        protectDataConnections();
    agreeOnEncoding();
}

void FtpSession::enterDirectory(const std::wstring& dir)
{
    if (dir.empty())
        return;
    std::string encoded;
    if (!encoding.encode(dir, encoded))
        throw Poco::Net::FTPException("", Problem::directoryNotEncodable);
    setWorkingDirectory(encoded);
}

// Servers take seconds to check a password on purpose (Pure-FTPd's stored
// hashes take about 3 s, and it answers a wrong one after about 9 s).
void FtpSession::loginPatiently(const std::string& username, const std::string& password)
{
    withReplyWait(*_pControlSocket, loginTimeout, [&] { login(username, password); });
}

void FtpSession::protectDataConnections()
{
    for (const char* command : {"PBSZ 0", "PROT P"}) {
        std::string response;
        int status = sendCommand(command, response);
        if (!isPositiveCompletion(status))
            throw Poco::Net::FTPException(command, response, Problem::dataTlsRefused);
    }
}

// A refused FEAT only means nothing is announced. Some servers that always
// speak UTF-8 refuse OPTS UTF8 ON, so its answer does not matter.
void FtpSession::agreeOnEncoding()
{
    std::string reply;
    if (!isPositiveCompletion(sendCommand("FEAT", reply)) || !NameEncoding::announcesUtf8(reply))
        return;
    sendCommand("OPTS UTF8 ON", reply);
    encoding = NameEncoding(true);
}

void FtpSession::quit()
{
    try {
        logout();
    } catch (const Poco::Exception&) {
    }
    if (_pControlSocket)
        _pControlSocket->close();
}
