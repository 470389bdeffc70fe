// The links of a send, also on the clipboard when the user chose so.
#pragma once

#include <windows.h>

#include <string>

namespace LinkClipboard {
// Puts `links` on the clipboard as CF_UNICODETEXT, with `window` (of any
// thread) as its owner. A clipboard another program holds open is tried
// again for a moment; then a box says it could not.
void copy(HWND window, const std::wstring& links);
}
