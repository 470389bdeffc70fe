#include "FtpSession.h"

#include <Poco/Net/FTPClientSession.h>
#include <Poco/Net/NetException.h>
#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/SocketStream.h>
#include <Poco/Net/StreamSocketImpl.h>
#include <Poco/Net/StreamSocket.h>

const Poco::Timespan FtpSession::timeout(5, 0);
const Poco::Timespan FtpSession::finalReplyTimeout(120, 0);

namespace {

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

void FtpSession::endUploadAbruptly()
{
    if (_pDataStream)
        _pDataStream->rdbuf()->socketImpl()->setLinger(true, 0);
    endUpload();
}

// Only the wait for the reply is longer; QUIT and the rest stay bounded by
// the session's timeout, whatever the reply was.
void FtpSession::endUploadPatiently()
{
    _pControlSocket->setReceiveTimeout(finalReplyTimeout);
    try {
        endUpload();
    } catch (...) {
        _pControlSocket->setReceiveTimeout(timeout);
        throw;
    }
    _pControlSocket->setReceiveTimeout(timeout);
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
