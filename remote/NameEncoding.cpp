#include "remote/NameEncoding.h"

#include "plugin/TextConversion.h"

#include <sstream>

namespace {

bool isUtf8Feature(std::string line)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    std::istringstream words(line);
    std::string feature;
    words >> feature;
    for (char& c : feature)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return feature == "UTF8";
}

}

// Features stand one a line, each after a space, between the reply's first
// and last lines.
bool NameEncoding::announcesUtf8(const std::string& featReply)
{
    std::istringstream lines(featReply);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] == ' ' && isUtf8Feature(line))
            return true;
    }
    return false;
}

bool NameEncoding::encode(const std::wstring& text, std::string& out) const
{
    if (!utf8)
        return TextConversion::toAnsiExact(text, out);
    out = TextConversion::toUtf8(text);
    return true;
}

std::wstring NameEncoding::decode(const std::string& name) const
{
    return utf8 ? TextConversion::readable(name) : TextConversion::fromAnsi(name);
}
