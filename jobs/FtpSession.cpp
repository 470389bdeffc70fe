#include "jobs/FtpSession.h"

#include "plugin/TextConversion.h"

#include <Poco/Net/DialogSocket.h>
#include <Poco/Net/FTPClientSession.h>
#include <Poco/Net/NetException.h>
#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/SocketStream.h>
#include <Poco/Net/StreamSocketImpl.h>
#include <Poco/Net/StreamSocket.h>
#include <Poco/Timestamp.h>

#include <stdexcept>

const Poco::Timespan FtpSession::timeout(5, 0);
const Poco::Timespan FtpSession::finalReplyTimeout(120, 0);
const Poco::Timespan FtpSession::givingUpInterval(0, 100000);
const Poco::Timespan FtpSession::loginTimeout(30, 0);

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

// The base reads no welcome (it would wait up to its 30-second default); the
// welcome is read here once the session's own timeout is set.
FtpSession::FtpSession(const ServerAddress& address)
    : Poco::Net::FTPClientSession(connectBounded(address), false)
{
    setTimeout(timeout);
    std::string response;
    int status = _pControlSocket->receiveStatusMessage(response);
    if (!isPositiveCompletion(status))
        throw Poco::Net::FTPException("Cannot receive status message", response, status);
}

NameListing FtpSession::listNames()
{
    try {
        NameListing listing = NameListing::read(beginList("", false));
        endList();
        return listing;
    } catch (const std::length_error&) {
        throw Poco::Net::FTPException(
            TextConversion::toAnsi(L"Lista plików na serwerze jest dłuższa niż 32 MB albo milion nazw"));
    }
}

// Only the reply's port is used, as curl and FileZilla do by default; an
// announced address is no better than the peer's when it equals it.
Poco::Net::StreamSocket FtpSession::establishDataConnection(const std::string& command, const std::string& arg)
{
    Poco::Net::SocketAddress announced = sendPassiveCommand();
    Poco::Net::StreamSocket socket;
    socket.connect(Poco::Net::SocketAddress(_pControlSocket->peerAddress().host(), announced.port()), timeout);
    std::string response;
    int status = sendCommand(command, arg, response);
    if (!isPositivePreliminary(status))
        throw Poco::Net::FTPException(command + " command failed", response, status);
    return socket;
}

void FtpSession::endUploadAbruptly()
{
    if (_pDataStream)
        _pDataStream->rdbuf()->socketImpl()->setLinger(true, 0);
    endUpload();
}

// The end of the file is sent with a half close; the socket itself stays
// until the answer, so that a reset can still discard what waits in its
// buffers. Once the answer is there it is read with the session's timeout.
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
    endUpload();
    return true;
}

void FtpSession::enter(const FtpSettings& settings)
{
    loginPatiently(credential(settings.username), credential(settings.password));
    agreeOnEncoding();
    if (settings.dir.empty())
        return;
    std::string dir;
    if (!encoding.encode(settings.dir, dir))
        throw Poco::Net::FTPException(TextConversion::toAnsi(
            L"Katalog na serwerze zawiera znaki spoza strony kodowej systemu, a serwer FTP nie obsługuje UTF-8"));
    setWorkingDirectory(dir);
}

// Servers take seconds to check a password on purpose (Pure-FTPd's stored
// hashes take about 3 s, and it answers a wrong one after about 9 s).
void FtpSession::loginPatiently(const std::string& username, const std::string& password)
{
    withReplyWait(*_pControlSocket, loginTimeout, [&] { login(username, password); });
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
