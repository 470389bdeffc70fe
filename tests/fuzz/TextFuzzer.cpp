// libFuzzer target over the plug-in's pure text functions, built natively
// with AddressSanitizer and UBSan. The first byte picks the function; each
// branch checks what must hold for any input.
#include "jobs/LinkText.h"
#include "remote/NameListing.h"
#include "remote/ServerAddress.h"
#include "ui/ProgressText.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

int hexValue(char c)
{
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

void fuzzUrlEncode(const std::string& input)
{
    std::string encoded = LinkText::urlEncode(input);
    std::string decoded;
    for (size_t i = 0; i < encoded.size(); ++i) {
        char c = encoded[i];
        if (c == '%') {
            check(i + 2 < encoded.size() && std::isxdigit(static_cast<unsigned char>(encoded[i + 1])) &&
                  std::isxdigit(static_cast<unsigned char>(encoded[i + 2])));
            decoded += static_cast<char>(hexValue(encoded[i + 1]) * 16 + hexValue(encoded[i + 2]));
            i += 2;
        } else {
            check(std::strchr("~!*()'.", c) || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                  (c >= 'a' && c <= 'z'));
            decoded += c;
        }
    }
    check(decoded == input);
    std::wstring link = LinkText::linkFor(L"http://h", input);
    check(link.size() == 9 + encoded.size());
}

void fuzzListing(const std::string& input)
{
    std::istringstream stream(input);
    NameListing listing = NameListing::read(stream);
    for (const std::string& name : listing.names()) {
        check(!name.empty());
        check(name.find_first_of("\r\n") == std::string::npos);
        check(listing.contains(name));
    }
    for (const std::string& name : listing.unsafeNames())
        check(NameListing::hasLineBreak(name));
    std::string chosen = listing.freeNameFor("a", 1000);
    check(!listing.contains(chosen));
}

void fuzzAddress(const std::string& input)
{
    ServerAddress address;
    if (ServerAddress::parse(input, address)) {
        check(!address.host.empty());
        check(address.port >= 1);
        check(input.find(address.host) != std::string::npos);
    }
}

void fuzzNumbers(const uint8_t* data, size_t size)
{
    float bytes = 0;
    int64_t seconds = 0;
    std::memcpy(&bytes, data, size < sizeof bytes ? size : sizeof bytes);
    if (size > sizeof bytes)
        std::memcpy(&seconds, data + sizeof bytes, size - sizeof bytes < sizeof seconds ? size - sizeof bytes : sizeof seconds);
    std::string text = ProgressText::formatSize(bytes);
    check(text.size() >= 2 && text.back() == 'B');
    std::string remaining = ProgressText::formatRemaining(seconds);
    check(remaining.size() >= 8 && remaining[remaining.size() - 3] == ':');
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
    case 0:
        fuzzUrlEncode(rest);
        break;
    case 1:
        fuzzListing(rest);
        break;
    case 2:
        fuzzAddress(rest);
        break;
    default:
        fuzzNumbers(data + 1, size - 1);
        break;
    }
    return 0;
}
