#include "ui/ProgressWindow.h"

#include "plugin/ModulePin.h"

#include <cstring>
#include <cwchar>
#include <map>
#include <mutex>

namespace {

const wchar_t abortProperty[] = L"ABORT";
const UINT otherThreadCloseMs = 2000;

HWND textTarget(HWND window, WPARAM controlId)
{
    if (controlId == static_cast<WPARAM>(ProgressWindow::Caption))
        return window;
    return GetDlgItem(window, static_cast<int>(controlId));
}

// A null window would make PostMessageW post to the calling thread, where no
// one frees the block.
bool postBlock(HWND window, UINT message, int controlId, const void* text, size_t bytes)
{
    if (!window)
        return false;
    HGLOBAL block = GlobalAlloc(GPTR, bytes);
    if (!block)
        return false;
    std::memcpy(block, text, bytes);
    if (PostMessageW(window, message, static_cast<WPARAM>(controlId), reinterpret_cast<LPARAM>(block)))
        return true;
    GlobalFree(block);
    return false;
}

// Each window's share of its abort flag, from WM_INITDIALOG to WM_NCDESTROY.
// Windows of several threads come and go at once.
std::mutex flagsLock;
std::map<HWND, std::shared_ptr<std::atomic<bool>>> flags;

std::shared_ptr<std::atomic<bool>> flagOf(HWND window)
{
    std::lock_guard<std::mutex> lock(flagsLock);
    auto found = flags.find(window);
    return found == flags.end() ? nullptr : found->second;
}

INT_PTR onCommand(HWND window, WORD command)
{
    switch (command) {
    case ProgressWindow::AbortButton:
        SetPropW(window, abortProperty, reinterpret_cast<HANDLE>(1));
        if (auto flag = flagOf(window))
            flag->store(true);
        return TRUE;
    case ProgressWindow::CloseButton:
        DestroyWindow(window);
        return TRUE;
    default:
        return FALSE;
    }
}

bool isProgressWindow(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId() &&
           GetWindowLongPtrW(window, DWLP_DLGPROC) == reinterpret_cast<LONG_PTR>(&ProgressWindow::dialogProc);
}

BOOL CALLBACK closeIfProgressWindow(HWND window, LPARAM)
{
    if (!isProgressWindow(window))
        return TRUE;
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        DestroyWindow(window);
    else
        SendMessageTimeoutW(window, WM_COMMAND, ProgressWindow::CloseButton, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                            otherThreadCloseMs, nullptr);
    if (IsWindow(window))
        Vornix::ModulePin::pinForever();
    return TRUE;
}

}

const UINT ProgressWindow::setDialogTxtA = RegisterWindowMessageW(L"VornixsetDialogTxtA");
const UINT ProgressWindow::setDialogTxtW = RegisterWindowMessageW(L"VornixsetDialogTxtW");

HWND ProgressWindow::create(HINSTANCE module, HWND owner)
{
    return CreateDialogParamW(module, MAKEINTRESOURCEW(TemplateId), owner, dialogProc, 0);
}

INT_PTR CALLBACK ProgressWindow::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        std::lock_guard<std::mutex> lock(flagsLock);
        flags[window] = std::make_shared<std::atomic<bool>>(false);
        // FALSE: the focus stays where the user is typing.
        return FALSE;
    }
    if (message == WM_COMMAND)
        return onCommand(window, LOWORD(wParam));
    if (message == setDialogTxtA) {
        SetWindowTextA(textTarget(window, wParam), reinterpret_cast<const char*>(lParam));
        GlobalFree(reinterpret_cast<HGLOBAL>(lParam));
        return TRUE;
    }
    if (message == setDialogTxtW) {
        SetWindowTextW(textTarget(window, wParam), reinterpret_cast<const wchar_t*>(lParam));
        GlobalFree(reinterpret_cast<HGLOBAL>(lParam));
        return TRUE;
    }
    // SetPropW took a reference on the property's name; give it back.
    if (message == WM_NCDESTROY) {
        RemovePropW(window, abortProperty);
        std::lock_guard<std::mutex> lock(flagsLock);
        flags.erase(window);
    }
    return FALSE;
}

bool ProgressWindow::postText(HWND window, int controlId, const char* text)
{
    return postBlock(window, setDialogTxtA, controlId, text, std::strlen(text) + 1);
}

bool ProgressWindow::postText(HWND window, int controlId, const wchar_t* text)
{
    return postBlock(window, setDialogTxtW, controlId, text, (std::wcslen(text) + 1) * sizeof(wchar_t));
}

std::shared_ptr<const std::atomic<bool>> ProgressWindow::abortFlag(HWND window)
{
    return flagOf(window);
}

// EnumWindows lists the windows before it calls back, so destroying them on
// the way is safe.
void ProgressWindow::closeAll()
{
    EnumWindows(closeIfProgressWindow, 0);
}
