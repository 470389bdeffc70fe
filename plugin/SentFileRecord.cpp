#include "plugin/SentFileRecord.h"

#include "plugin/TextConversion.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

const size_t fieldCount = 10;

std::string escaped(const std::wstring& text)
{
    std::string out;
    for (char c : TextConversion::toUtf8(text)) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

bool unescaped(const std::string& field, std::wstring& text)
{
    std::string bytes;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            bytes += field[i];
            continue;
        }
        if (++i == field.size())
            return false;
        switch (field[i]) {
        case '\\': bytes += '\\'; break;
        case 't': bytes += '\t'; break;
        case 'r': bytes += '\r'; break;
        case 'n': bytes += '\n'; break;
        default: return false;
        }
    }
    return TextConversion::fromUtf8Exact(bytes, text);
}

bool number(const std::string& field, int64_t& value)
{
    if (field.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(field.c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return false;
    value = parsed;
    return true;
}

std::vector<std::string> split(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

}

bool SentFileRecord::sameFile(const SentFileRecord& other) const
{
    return sentAt == other.sentAt && isIn(other.protocol, other.server, other.dir) && name == other.name;
}

bool SentFileRecord::isIn(int otherProtocol, const std::wstring& otherServer, const std::wstring& otherDir) const
{
    return protocol == otherProtocol && server == otherServer && dir == otherDir;
}

std::string SentFileRecord::toLine() const
{
    return std::to_string(sentAt) + '\t' + std::to_string(protocol) + '\t' + escaped(server) + '\t' + escaped(dir) +
           '\t' + escaped(name) + '\t' + escaped(localPath) + '\t' + std::to_string(size) + '\t' +
           std::to_string(serverTime) + '\t' + escaped(contact) + '\t' + escaped(link);
}

bool SentFileRecord::fromLine(const std::string& line, SentFileRecord& record)
{
    std::vector<std::string> fields = split(line);
    if (fields.size() != fieldCount)
        return false;
    SentFileRecord read;
    int64_t protocol = 0;
    if (!number(fields[0], read.sentAt) || !number(fields[1], protocol) || (protocol != 0 && protocol != 1) ||
        !unescaped(fields[2], read.server) || !unescaped(fields[3], read.dir) || !unescaped(fields[4], read.name) ||
        read.name.empty() || !unescaped(fields[5], read.localPath) || !number(fields[6], read.size) ||
        read.size < 0 || !number(fields[7], read.serverTime) || !unescaped(fields[8], read.contact) ||
        !unescaped(fields[9], read.link))
        return false;
    read.protocol = static_cast<int>(protocol);
    record = read;
    return true;
}
