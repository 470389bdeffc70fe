#include "UploadStream.h"

#include <Poco/Exception.h>
#include <Poco/Net/NetException.h>
#include <Poco/Net/SocketStream.h>
#include <Poco/Net/StreamSocket.h>

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

// The socket is taken from the stream for each block and let go at once: the
// data connection closes, and the server sees the end of the file, only when
// the session ends the upload and no copy of the socket is left.
void UploadStream::flush()
{
    Poco::Net::StreamSocket socket = stream.socket();
    size_t sent = 0;
    while (sent < pending.size()) {
        int done = socket.sendBytes(pending.data() + sent, static_cast<int>(pending.size() - sent));
        if (done <= 0)
            throw Poco::Net::NetException("Socket send error");
        sent += static_cast<size_t>(done);
    }
    pending.clear();
}
