// The standard file-open dialog.
#pragma once

#include <windows.h>

#include <string>

namespace FileChoice {
// True with the chosen path in `path`; false when the user cancelled or the
// dialog failed. Paths up to Windows' own limit of 32767 characters.
bool askForFile(HWND owner, HINSTANCE module, std::wstring& path);
}
