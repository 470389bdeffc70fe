#include "remote/ServerAddress.h"

namespace {

bool parsePort(const std::string& digits, uint16_t& port)
{
    if (digits.empty() || digits.size() > 5)
        return false;
    unsigned long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (value < 1 || value > 65535)
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}

}

bool ServerAddress::parse(const std::string& text, ServerAddress& address, uint16_t defaultPort)
{
    ServerAddress parsed;
    parsed.port = defaultPort;
    if (!text.empty() && text[0] == '[') {
        size_t close = text.find(']');
        if (close == std::string::npos)
            return false;
        parsed.host = text.substr(1, close - 1);
        std::string rest = text.substr(close + 1);
        if (!rest.empty() && (rest[0] != ':' || !parsePort(rest.substr(1), parsed.port)))
            return false;
    } else {
        size_t colon = text.find(':');
        bool bareIpv6 = colon != std::string::npos && text.find(':', colon + 1) != std::string::npos;
        if (colon == std::string::npos || bareIpv6) {
            parsed.host = text;
        } else {
            parsed.host = text.substr(0, colon);
            if (!parsePort(text.substr(colon + 1), parsed.port))
                return false;
        }
    }
    if (parsed.host.empty())
        return false;
    address = parsed;
    return true;
}
