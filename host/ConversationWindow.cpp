#include "host/ConversationWindow.h"

#include <commctrl.h>

namespace {

const wchar_t windowClass[] = L"VornixHostConversation";
const int inputHeight = 24;

}

ConversationWindow::ConversationWindow(HINSTANCE instance, HWND owner, const std::wstring& contact)
{
    WNDCLASSEXW cls = {};
    cls.cbSize = sizeof(cls);
    if (!GetClassInfoExW(instance, windowClass, &cls)) {
        cls.lpfnWndProc = windowProc;
        cls.hInstance = instance;
        cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        cls.lpszClassName = windowClass;
        RegisterClassExW(&cls);
    }
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    RECT ownerFrame = {};
    GetWindowRect(owner, &ownerFrame);
    window = CreateWindowExW(0, windowClass, (L"Rozmowa: " + contact).c_str(), WS_OVERLAPPEDWINDOW,
        ownerFrame.right + 20, ownerFrame.top, 460, 300, owner, nullptr, instance, nullptr);
    history = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0, 0, window, nullptr,
        instance, nullptr);
    input = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0,
        0, window, nullptr, instance, nullptr);
    SendMessageW(history, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(input, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SetWindowSubclass(input, inputProc, 1, reinterpret_cast<DWORD_PTR>(this));
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    layOut();
}

ConversationWindow::~ConversationWindow()
{
    RemoveWindowSubclass(input, inputProc, 1);
    DestroyWindow(window);
}

void ConversationWindow::append(const std::wstring& line)
{
    int end = GetWindowTextLengthW(history);
    SendMessageW(history, EM_SETSEL, end, end);
    std::wstring text = (end ? L"\r\n" : L"") + line;
    SendMessageW(history, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void ConversationWindow::show()
{
    ShowWindow(window, SW_SHOWNORMAL);
}

void ConversationWindow::startTyping()
{
    show();
    SetForegroundWindow(window);
    SetFocus(input);
}

void ConversationWindow::layOut()
{
    RECT client;
    GetClientRect(window, &client);
    int historyHeight = client.bottom - inputHeight - 12;
    MoveWindow(history, 4, 4, client.right - 8, historyHeight > 0 ? historyHeight : 0, TRUE);
    MoveWindow(input, 4, client.bottom - inputHeight - 4, client.right - 8, inputHeight, TRUE);
}

// Enter puts the typed line into the history; it goes to no network.
LRESULT CALLBACK ConversationWindow::inputProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR self)
{
    if (message == WM_CHAR && wParam == VK_RETURN) {
        wchar_t text[1024] = L"";
        GetWindowTextW(box, text, 1024);
        reinterpret_cast<ConversationWindow*>(self)->append(std::wstring(L"ja: ") + text);
        SetWindowTextW(box, L"");
        return 0;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

// Closing only hides it: the conversation goes on and keeps its history.
LRESULT CALLBACK ConversationWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        ShowWindow(window, SW_HIDE);
        return 0;
    }
    auto self = reinterpret_cast<ConversationWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_SIZE && self) {
        self->layOut();
        return 0;
    }
    // Activated again, the conversation gives the keys back to its typing box.
    if (message == WM_SETFOCUS && self) {
        SetFocus(self->input);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
