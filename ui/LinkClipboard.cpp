#include "ui/LinkClipboard.h"

#include "ui/Texts.h"

#include <cstring>

namespace LinkClipboard {

namespace {

const int openAttempts = 20;
const DWORD attemptPauseMs = 50;

bool openFor(HWND window)
{
    for (int attempt = 0; attempt < openAttempts; ++attempt) {
        if (OpenClipboard(window))
            return true;
        Sleep(attemptPauseMs);
    }
    return false;
}

// The clipboard owns the memory once SetClipboardData took it.
bool place(const std::wstring& text)
{
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* target = memory ? GlobalLock(memory) : nullptr;
    if (!target) {
        if (memory)
            GlobalFree(memory);
        return false;
    }
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory);
    if (SetClipboardData(CF_UNICODETEXT, memory))
        return true;
    GlobalFree(memory);
    return false;
}

}

void copy(HWND window, const std::wstring& links)
{
    bool copied = false;
    if (openFor(window)) {
        copied = EmptyClipboard() && place(links);
        CloseClipboard();
    }
    if (!copied)
        MessageBoxW(nullptr, Texts::clipboardUnavailable, L"Vornix", MB_ICONERROR);
}

}
