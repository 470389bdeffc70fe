#include "ui/FileChoice.h"

#include <commdlg.h>

#include <vector>

namespace FileChoice {

namespace {
const size_t pathCapacity = 32768;  // characters, with the terminator
}

bool askForFile(HWND owner, HINSTANCE module, std::wstring& path)
{
    std::vector<wchar_t> chosen(pathCapacity);
    // The dialog opens in the process's current directory.
    std::vector<wchar_t> currentDir(GetCurrentDirectoryW(0, nullptr) + 1);
    DWORD dirLength = GetCurrentDirectoryW(static_cast<DWORD>(currentDir.size()), currentDir.data());
    bool haveDir = dirLength > 0 && dirLength < currentDir.size();

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    dialog.hwndOwner = owner;
    dialog.hInstance = module;
    dialog.lpstrFilter = L"Wszystkie pliki\0*.*\0";
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = static_cast<DWORD>(chosen.size());
    dialog.lpstrInitialDir = haveDir ? currentDir.data() : nullptr;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&dialog) != 1)
        return false;
    path = chosen.data();
    return true;
}

}
