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
// free the socket under the stream.
void UploadStream::flush()
{
    Poco::Net::StreamSocketImpl* socket = stream.rdbuf()->socketImpl();
    size_t sent = 0;
    while (sent < pending.size()) {
        int done = socket->sendBytes(pending.data() + sent, static_cast<int>(pending.size() - sent));
        if (done <= 0)
            throw Poco::Net::NetException("Socket send error");
        sent += static_cast<size_t>(done);
    }
    pending.clear();
}
