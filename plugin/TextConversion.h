// Between the host's UTF-16 and 8-bit text: the system's ANSI code page
// (Windows-1250 on a Polish system), which the plug-in's own messages and
// servers without UTF-8 use, and UTF-8, which most servers use today.
#pragma once

#include <string>

namespace TextConversion {

// False when a character has no form in the code page; `out` is then unset.
bool toAnsiExact(const std::wstring& text, std::string& out);

// Characters without a form in the code page become the code page's default.
std::string toAnsi(const std::wstring& text);

// The longest leading part, whole characters only, that fits `maxBytes`;
// characters without a form in the code page become the code page's default.
std::string toAnsiCut(const std::wstring& text, size_t maxBytes);

// Unpaired surrogates become U+FFFD.
std::string toUtf8(const std::wstring& text);

std::wstring fromAnsi(const std::string& text);

// False when the bytes are not valid UTF-8; `out` is then unset.
bool fromUtf8Exact(const std::string& text, std::wstring& out);

// Text from a server or the network library, for showing: read as UTF-8 when
// it is valid UTF-8, else in the code page. Byte runs of Windows-1250 text
// are hardly ever valid UTF-8, and ASCII reads the same either way.
std::wstring readable(const std::string& text);

}
