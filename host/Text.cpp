#include "host/Text.h"

#include <cwchar>
#include <vector>

namespace Text {

namespace {

std::string narrow(const std::wstring& text, UINT codePage)
{
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), &result[0], size, nullptr, nullptr);
    return result;
}

}

std::string utf8(const std::wstring& text)
{
    return narrow(text, CP_UTF8);
}

std::string ansi(const std::wstring& text)
{
    return narrow(text, CP_ACP);
}

std::wstring copyOf(const wchar_t* text)
{
    return text ? std::wstring(text) : std::wstring();
}

std::wstring copyOf(const wchar_t* text, size_t capacity)
{
    return text ? std::wstring(text, wcsnlen(text, capacity)) : std::wstring();
}

std::wstring oneLine(const std::wstring& text)
{
    std::wstring result;
    result.reserve(text.size());
    for (wchar_t c : text) {
        if (c == L'\r')
            result += L"\\r";
        else if (c == L'\n')
            result += L"\\n";
        else
            result += c;
    }
    return result;
}

bool startsWith(const std::wstring& text, const std::wstring& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::wstring windowText(HWND window)
{
    std::vector<wchar_t> text(GetWindowTextLengthW(window) + 1);
    GetWindowTextW(window, text.data(), int(text.size()));
    return text.data();
}

std::wstring windowClass(HWND window)
{
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

}
