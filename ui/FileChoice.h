// The standard file-open dialog, where several files may be chosen at once.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace FileChoice {
// True with the chosen paths in `paths`, in the order the dialog gives them;
// false when the user cancelled or the dialog failed (a choice too long for
// the buffer is said in a box). Each path up to Windows' own limit of 32767
// characters.
bool askForFiles(HWND owner, HINSTANCE module, std::vector<std::wstring>& paths);

// The dialog's answer as paths: one full path, or the folder and then the
// names, each ended by a NUL and the list by a second NUL. A name that is a
// full path itself (Wine's dialog returns typed full paths so) stays whole.
std::vector<std::wstring> pathsOfChoice(const wchar_t* buffer);
}
