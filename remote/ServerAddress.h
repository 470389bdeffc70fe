// The server setting: "host", "host:port", "[IPv6]:port", "[IPv6]" or a bare
// IPv6 address. Without a port the protocol's own is meant: FTP's 21 unless
// the caller names another.
#pragma once

#include <cstdint>
#include <string>

struct ServerAddress {
    std::string host;
    uint16_t port = 21;

    // False for an empty host, a port that is not a number from 1 to 65535,
    // or an unclosed bracket.
    static bool parse(const std::string& text, ServerAddress& address, uint16_t defaultPort = 21);
};
