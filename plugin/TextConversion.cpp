#include "plugin/TextConversion.h"

#include <windows.h>

namespace TextConversion {

namespace {

int ansiSize(const wchar_t* text, int length, BOOL* usedDefault)
{
    DWORD flags = usedDefault ? WC_NO_BEST_FIT_CHARS : 0;
    return WideCharToMultiByte(CP_ACP, flags, text, length, nullptr, 0, nullptr, usedDefault);
}

std::string convert(const wchar_t* text, int length, DWORD flags, UINT codePage = CP_ACP)
{
    int size = WideCharToMultiByte(codePage, flags, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, flags, text, length, &out[0], size, nullptr, nullptr);
    return out;
}

// False when `flags` asks for invalid bytes to fail and some are.
bool widen(const std::string& text, UINT codePage, DWORD flags, std::wstring& out)
{
    out.clear();
    if (text.empty())
        return true;
    int length = static_cast<int>(text.size());
    int size = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (size <= 0)
        return false;
    out.resize(size);
    MultiByteToWideChar(codePage, flags, text.data(), length, &out[0], size);
    return true;
}

bool isLowSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

}

bool toAnsiExact(const std::wstring& text, std::string& out)
{
    if (text.empty()) {
        out.clear();
        return true;
    }
    BOOL usedDefault = FALSE;
    int length = static_cast<int>(text.size());
    if (ansiSize(text.data(), length, &usedDefault) <= 0 || usedDefault)
        return false;
    out = convert(text.data(), length, WC_NO_BEST_FIT_CHARS);
    return true;
}

std::string toAnsi(const std::wstring& text)
{
    return convert(text.data(), static_cast<int>(text.size()), 0);
}

std::string toAnsiCut(const std::wstring& text, size_t maxBytes)
{
    int length = static_cast<int>(text.size());
    std::string out = convert(text.data(), length, 0);
    if (out.size() <= maxBytes)
        return out;
    // Every character takes at least one byte: start from maxBytes characters
    // and shorten one character at a time, never splitting a surrogate pair.
    if (static_cast<size_t>(length) > maxBytes)
        length = static_cast<int>(maxBytes);
    for (;;) {
        if (length > 0 && isLowSurrogate(text[length])) {
            --length;
            continue;
        }
        out = convert(text.data(), length, 0);
        if (out.size() <= maxBytes)
            return out;
        --length;
    }
}

std::string toUtf8(const std::wstring& text)
{
    return convert(text.data(), static_cast<int>(text.size()), 0, CP_UTF8);
}

std::wstring fromAnsi(const std::string& text)
{
    std::wstring out;
    widen(text, CP_ACP, 0, out);
    return out;
}

bool fromUtf8Exact(const std::string& text, std::wstring& out)
{
    std::wstring wide;
    if (!widen(text, CP_UTF8, MB_ERR_INVALID_CHARS, wide))
        return false;
    out = wide;
    return true;
}

std::wstring readable(const std::string& text)
{
    std::wstring out;
    return fromUtf8Exact(text, out) ? out : fromAnsi(text);
}

}
