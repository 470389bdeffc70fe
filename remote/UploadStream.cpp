#include "remote/UploadStream.h"

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

UploadStream::UploadStream(std::ostream& upload) : stream(socketStream(upload)), block(blockSize), used(0)
{
}

char* UploadStream::room(size_t size)
{
    if (size > blockSize)
        throw Poco::InvalidArgumentException("more room asked for than a block holds");
    if (blockSize - used < size)
        flush();
    return block.data() + used;
}

void UploadStream::commit(size_t size)
{
    used += std::min(size, blockSize - used);
    if (used == blockSize)
        flush();
}

// The stream's own socket is used as it stands: SocketIOS::socket() hands out
// a StreamSocket that takes no reference of its own, and dropping it would
// free the socket under the stream.
void UploadStream::flush()
{
    Poco::Net::StreamSocketImpl* socket = stream.rdbuf()->socketImpl();
    size_t sent = 0;
    while (sent < used) {
        int done = socket->sendBytes(block.data() + sent, static_cast<int>(used - sent));
        if (done <= 0)
            throw Poco::Net::NetException("Socket send error");
        sent += static_cast<size_t>(done);
    }
    used = 0;
}
