// The standard file-open dialog, in 8-bit form.
#pragma once

#include <windows.h>

#include <cstddef>

namespace FileChoice {
// True with the chosen path in `path` (emptied first); false when the user
// cancelled or the dialog failed.
bool askForFile(HWND owner, HINSTANCE module, char* path, size_t capacity);
}
