// Between the host's UTF-16 and the 8-bit text of the system's ANSI code page
// (Windows-1250 on a Polish system), which the FTP session and most window
// texts use.
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

}
