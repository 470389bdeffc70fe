// Conversions between the host's wide texts and the bytes it prints or stores.
#pragma once

#include <windows.h>

#include <string>

namespace Text {

std::string utf8(const std::wstring& text);
std::string ansi(const std::wstring& text);

// A plug-in may hand over null where a text is expected; that reads as "".
std::wstring copyOf(const wchar_t* text);
// Reads at most capacity characters: buffers a plug-in fills need not be terminated.
std::wstring copyOf(const wchar_t* text, size_t capacity);

// One transcript event is one line: CR and LF inside a text are written as \r and \n.
std::wstring oneLine(const std::wstring& text);

bool startsWith(const std::wstring& text, const std::wstring& prefix);

// A window of this thread or one that answers: these send messages.
std::wstring windowText(HWND window);
std::wstring windowClass(HWND window);

}
