#include "ui/FileChoice.h"

#include <commdlg.h>

#include <iterator>

namespace FileChoice {

namespace {
const size_t currentDirCapacity = 256;  // characters, with the terminator
}

bool askForFile(HWND owner, HINSTANCE module, char* path, size_t capacity)
{
    path[0] = '\0';
    // The dialog opens in the process's current directory; one too long for
    // the buffer is left to the dialog's own choice.
    char currentDir[currentDirCapacity] = {};
    DWORD dirLength = GetCurrentDirectoryA(std::size(currentDir), currentDir);
    bool haveDir = dirLength > 0 && dirLength < std::size(currentDir);

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = owner;
    dialog.hInstance = module;
    dialog.lpstrFilter = "Wszystkie pliki\0*.*\0";
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = path;
    dialog.nMaxFile = static_cast<DWORD>(capacity);
    dialog.lpstrInitialDir = haveDir ? currentDir : nullptr;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    return GetOpenFileNameA(&dialog) == 1;
}

}
