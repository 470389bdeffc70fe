#include "remote/NameListing.h"

#include <algorithm>
#include <stdexcept>

namespace {

[[noreturn]] void throwTooLong()
{
    throw std::length_error("the name listing passes its bounds");
}

// A stream swallows its connection's failure and just ends; with badbit
// among its exceptions it throws that failure on, so a listing cut short
// (a reset, or TLS closed without close_notify) is never taken as whole.
std::string readBounded(std::istream& listing)
{
    listing.exceptions(std::ios::badbit);
    std::string text;
    std::vector<char> buffer(65536);
    while (listing.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || listing.gcount() > 0) {
        auto got = static_cast<size_t>(listing.gcount());
        if (got > NameListing::maxBytes - text.size())
            throwTooLong();
        text.append(buffer.data(), got);
    }
    return text;
}

}

NameListing NameListing::read(std::istream& listing)
{
    std::string text = readBounded(listing);
    char separator = text.find('\n') != std::string::npos ? '\n' : '\r';
    NameListing result;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        result.add(text.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

void NameListing::add(std::string line)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (!line.empty())
        addName(line);
}

// A name counts with a line end, as in a listing read whole.
void NameListing::addName(const std::string& name)
{
    if (listedNames.size() + rejectedNames.size() >= maxNames || name.size() + 1 > maxBytes - namesBytes)
        throwTooLong();
    namesBytes += name.size() + 1;
    if (hasLineBreak(name))
        rejectedNames.push_back(name);
    else
        listedNames.push_back(name);
}

bool NameListing::contains(const std::string& name) const
{
    return std::find(listedNames.begin(), listedNames.end(), name) != listedNames.end();
}

std::string NameListing::freeNameFor(const std::string& name, int64_t now) const
{
    if (!contains(name))
        return name;
    for (int64_t second = now;; ++second) {
        std::string candidate = std::to_string(second) + "_" + name;
        if (!contains(candidate))
            return candidate;
    }
}

bool NameListing::hasLineBreak(const std::string& text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}
