#include "ui/FileChoice.h"

#include "ui/Texts.h"

#include <cderr.h>
#include <commdlg.h>

#include <cwchar>

namespace FileChoice {

namespace {
// Characters, with the terminators: a few thousand names at once.
const size_t choiceCapacity = 262144;

// A name with a drive ("C:\x") or a UNC name ("\\server\share\x").
bool isFullPath(const std::wstring& name)
{
    return name.size() >= 2 && (name[1] == L':' || (name[0] == L'\\' && name[1] == L'\\'));
}

std::wstring inFolder(const std::wstring& folder, const std::wstring& name)
{
    if (isFullPath(name))
        return name;
    bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return separated ? folder + name : folder + L'\\' + name;
}
}

std::vector<std::wstring> pathsOfChoice(const wchar_t* buffer)
{
    std::wstring first = buffer;
    const wchar_t* name = buffer + first.size() + 1;
    if (*name == L'\0')
        return {first};
    std::vector<std::wstring> paths;
    for (; *name != L'\0'; name += wcslen(name) + 1)
        paths.push_back(inFolder(first, name));
    return paths;
}

bool askForFiles(HWND owner, HINSTANCE module, std::vector<std::wstring>& paths)
{
    std::vector<wchar_t> chosen(choiceCapacity);
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
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_EXPLORER;
    if (GetOpenFileNameW(&dialog) != 1) {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            MessageBoxW(owner, Texts::choiceTooLong, L"Vornix", MB_ICONERROR);
        return false;
    }
    paths = pathsOfChoice(chosen.data());
    return true;
}

}
