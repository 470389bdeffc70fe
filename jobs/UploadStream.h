// The data connection of a store command, written in large blocks: POCO's
// upload stream would hand the socket 1024 bytes at a time, whatever it is
// given, which costs half the throughput.
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

    // Both throw the library's network or timeout exception when the
    // connection fails; what was sent stays sent.
    void write(const char* data, size_t size);
    void flush();

private:
    Poco::Net::SocketStream& stream;
    std::vector<char> pending;
};
