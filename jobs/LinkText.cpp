#include "jobs/LinkText.h"

#include <cstring>

namespace LinkText {

std::string urlEncode(const std::string& name)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(name.size() * 3);
    for (unsigned char c : name) {
        bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                     (c != 0 && std::strchr("~!*()'.", c) != nullptr);
        if (plain) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
        }
    }
    return encoded;
}

std::wstring linkFor(const std::wstring& prefix, const std::string& remoteName)
{
    std::wstring link = prefix;
    if (!link.empty() && link.back() != L'/' && link.back() != L'\\')
        link += L'/';
    for (char c : urlEncode(remoteName))
        link += static_cast<wchar_t>(c);
    return link;
}

std::wstring linesFor(const std::wstring& prefix, const std::vector<std::string>& remoteNames)
{
    std::wstring lines;
    for (const std::string& name : remoteNames)
        lines += (lines.empty() ? L"" : L"\r\n") + linkFor(prefix, name);
    return lines;
}

}
