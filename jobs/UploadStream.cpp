#include "UploadStream.h"

#include <Poco/Exception.h>
#include <Poco/Net/NetException.h>
#include <Poco/Net/SocketStream.h>
#include <Poco/Net/StreamSocketImpl.h>

#include <algorithm>

namespace {

Poco::Net::SocketStream& socketStream(std::ostream& upload)
{
    auto stream = dynamic_cast<Poco::Net::SocketStream*>(&upload);
    if (!stream)
        throw Poco::IllegalStateException("the upload is not a socket stream");
    return *stream;
}

}

UploadStream::UploadStream(std::ostream& upload) : stream(socketStream(upload))
{
    pending.reserve(blockSize);
}

void UploadStream::write(const char* data, size_t size)
{
    while (size > 0) {
        size_t taken = std::min(size, blockSize - pending.size());
        pending.insert(pending.end(), data, data + taken);
        data += taken;
        size -= taken;
        if (pending.size() == blockSize)
            flush();
    }
}

// The stream's own socket is used as it stands: SocketIOS::socket() hands out
// a StreamSocket that takes no reference of its own, and dropping it would
// free the socket under the stream. The block goes straight to send():
// POCO 1.11 polls the socket before each of its sends once a timeout is set,
// which halves the throughput, while the data connection's send timeout
// already bounds every send.
void UploadStream::flush()
{
    poco_socket_t socket = stream.rdbuf()->socketImpl()->sockfd();
    size_t sent = 0;
    while (sent < pending.size()) {
        int done = ::send(socket, pending.data() + sent, static_cast<int>(pending.size() - sent), 0);
        if (done <= 0)
            throw Poco::Net::NetException("Socket send error", WSAGetLastError());
        sent += static_cast<size_t>(done);
    }
    pending.clear();
}
