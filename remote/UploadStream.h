// The data connection of a store command, written in large blocks: POCO's
// upload stream would hand the socket 1024 bytes at a time, whatever it is
// given, which costs half the throughput. The file's chunks are read straight
// into the block rather than copied into it.
#pragma once

#include <ostream>
#include <vector>

namespace Poco {
namespace Net {
class SocketStream;
}
}

class UploadStream {
public:
    static const size_t blockSize = 65536;

    // `upload` is the stream that beginUpload returned.
    explicit UploadStream(std::ostream& upload);

    // All three send once a block is full or asked for, and throw the
    // library's network or timeout exception when the connection fails;
    // what was sent stays sent.

    // Room for the next `size` bytes (at most blockSize), to be filled and
    // then committed; a block without that much room left is sent first.
    char* room(size_t size);
    void commit(size_t size);
    void flush();

private:
    Poco::Net::SocketStream& stream;
    std::vector<char> block;
    size_t used;
};
