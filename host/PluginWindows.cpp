#include "host/PluginWindows.h"

#include "host/Text.h"
#include "host/Transcript.h"

PluginWindows* PluginWindows::active = nullptr;

PluginWindows::PluginWindows(Transcript& transcript, HMODULE plugin)
    : transcript(transcript), plugin(plugin), cbt(nullptr), calls(nullptr)
{
}

PluginWindows::~PluginWindows()
{
    stop();
}

void PluginWindows::start()
{
    active = this;
    cbt = SetWindowsHookExW(WH_CBT, cbtHook, nullptr, GetCurrentThreadId());
    calls = SetWindowsHookExW(WH_CALLWNDPROC, callHook, nullptr, GetCurrentThreadId());
}

void PluginWindows::reportOpenAndStop()
{
    for (const auto& item : windows)
        report(item.first, L"open");
    stop();
}

void PluginWindows::destroyRemaining()
{
    std::map<HWND, bool> remaining;
    remaining.swap(windows);
    for (const auto& item : remaining) {
        if (IsWindow(item.first))
            DestroyWindow(item.first);
    }
}

LRESULT CALLBACK PluginWindows::cbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = reinterpret_cast<HWND>(wParam);
    if (active && code == HCBT_CREATEWND)
        active->created(window, *reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs);
    else if (active && code == HCBT_DESTROYWND)
        active->destroyed(window);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK PluginWindows::callHook(int code, WPARAM wParam, LPARAM lParam)
{
    auto call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    bool showing = (call->message == WM_SHOWWINDOW && call->wParam) ||
                   (call->message == WM_WINDOWPOSCHANGED &&
                       (reinterpret_cast<const WINDOWPOS*>(call->lParam)->flags & SWP_SHOWWINDOW));
    if (active && code == HC_ACTION && showing)
        active->shown(call->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void PluginWindows::created(HWND window, const CREATESTRUCTW& create)
{
    if (create.hInstance == plugin && Text::windowClass(window) == L"#32770")
        windows[window] = (create.style & WS_VISIBLE) != 0;
}

void PluginWindows::shown(HWND window)
{
    auto item = windows.find(window);
    if (item != windows.end())
        item->second = true;
}

void PluginWindows::destroyed(HWND window)
{
    auto item = windows.find(window);
    if (item == windows.end())
        return;
    if (IsWindowVisible(window))
        item->second = true;
    report(window, L"closed");
    windows.erase(item);
}

void PluginWindows::report(HWND window, const wchar_t* state)
{
    std::wstring line = L"window \"" + Text::windowText(window) + L"\"";
    if (!windows[window] && !IsWindowVisible(window))
        line += L" (never shown)";
    line += L" " + std::wstring(state) + L":";
    const wchar_t* separator = L" ";
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(Text::windowClass(child).c_str(), L"Static") == 0) {
            line += separator + Text::windowText(child);
            separator = L" | ";
        }
    }
    transcript.line(line);
}

void PluginWindows::stop()
{
    if (cbt)
        UnhookWindowsHookEx(cbt);
    if (calls)
        UnhookWindowsHookEx(calls);
    cbt = calls = nullptr;
    if (active == this)
        active = nullptr;
}
