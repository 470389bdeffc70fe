#include "host/SettingsFile.h"

#include <sstream>
#include <vector>

namespace {

const wchar_t byteOrderMark = 0xFEFF;

std::wstring escape(const std::wstring& text)
{
    std::wstring result;
    for (wchar_t c : text) {
        switch (c) {
        case L'\\': result += L"\\\\"; break;
        case L'\t': result += L"\\t"; break;
        case L'\r': result += L"\\r"; break;
        case L'\n': result += L"\\n"; break;
        default: result += c;
        }
    }
    return result;
}

bool unescape(const std::wstring& text, std::wstring* result)
{
    result->clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\') {
            *result += text[i];
            continue;
        }
        if (++i == text.size())
            return false;
        switch (text[i]) {
        case L'\\': *result += L'\\'; break;
        case L't': *result += L'\t'; break;
        case L'r': *result += L'\r'; break;
        case L'n': *result += L'\n'; break;
        default: return false;
        }
    }
    return true;
}

bool readWhole(const std::wstring& path, std::wstring* content)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart % 2 == 0 && size.QuadPart < 0x10000000;
    std::vector<wchar_t> buffer(ok ? size_t(size.QuadPart / 2) : 0);
    DWORD read = 0;
    if (ok && !buffer.empty())
        ok = ReadFile(file, buffer.data(), DWORD(size.QuadPart), &read, nullptr) && read == size.QuadPart;
    CloseHandle(file);
    if (!ok || buffer.empty() || buffer[0] != byteOrderMark)
        return false;
    content->assign(buffer.begin() + 1, buffer.end());
    return true;
}

bool writeThrough(const std::wstring& path, const std::wstring& content)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::wstring bytes = byteOrderMark + content;
    size_t byteCount = bytes.size() * sizeof(wchar_t);
    DWORD size = static_cast<DWORD>(byteCount);
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), size, &written, nullptr) && written == size && FlushFileBuffers(file);
    CloseHandle(file);
    return ok;
}

}

SettingsFile::SettingsFile(const std::wstring& path)
    : path(path)
{
}

bool SettingsFile::load()
{
    std::wstring content;
    std::map<std::wstring, Value> parsed;
    bool ok = readWhole(path, &content) && parse(content, &parsed);
    values = ok ? parsed : std::map<std::wstring, Value>();
    for (const auto& item : unsaved)
        values[item.first] = item.second;
    return ok;
}

bool SettingsFile::save()
{
    std::wstring temporary = path + L".tmp";
    if (!writeThrough(temporary, serialise()) ||
        !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    unsaved.clear();
    return true;
}

const SettingsFile::Value* SettingsFile::find(const std::wstring& key) const
{
    auto item = values.find(key);
    return item == values.end() ? nullptr : &item->second;
}

void SettingsFile::set(const std::wstring& key, const Value& value)
{
    values[key] = value;
    unsaved[key] = value;
}

// A line is: type ("i" or "t"), tab, escaped key, tab, the value (decimal or escaped text).
bool SettingsFile::parse(const std::wstring& content, std::map<std::wstring, Value>* parsed) const
{
    std::wistringstream lines(content);
    std::wstring line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        size_t first = line.find(L'\t');
        size_t second = first == std::wstring::npos ? first : line.find(L'\t', first + 1);
        std::wstring key;
        std::wstring field;
        if (second == std::wstring::npos || first != 1 || !unescape(line.substr(2, second - 2), &key) ||
            !unescape(line.substr(second + 1), &field))
            return false;
        Value value = {line[0] == L't', 0, std::wstring()};
        if (value.isText) {
            value.text = field;
        } else {
            wchar_t* end = nullptr;
            long number = wcstol(field.c_str(), &end, 10);
            if (line[0] != L'i' || field.empty() || *end)
                return false;
            value.integer = INT32(number);
        }
        (*parsed)[key] = value;
    }
    return true;
}

std::wstring SettingsFile::serialise() const
{
    std::wstring content;
    for (const auto& item : values) {
        const Value& value = item.second;
        content += value.isText ? L"t\t" : L"i\t";
        content += escape(item.first) + L"\t";
        content += value.isText ? escape(value.text) : std::to_wstring(value.integer);
        content += L"\r\n";
    }
    return content;
}
