#include "host/ConversationWindow.h"

namespace {

const wchar_t windowClass[] = L"VornixHostConversation";

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
    RECT ownerFrame = {};
    GetWindowRect(owner, &ownerFrame);
    window = CreateWindowExW(0, windowClass, (L"Rozmowa: " + contact).c_str(), WS_OVERLAPPEDWINDOW,
        ownerFrame.right + 20, ownerFrame.top, 460, 300, owner, nullptr, instance, nullptr);
    history = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0, 0, window, nullptr,
        instance, nullptr);
    SendMessageW(history, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    SendMessageW(window, WM_SIZE, 0, 0);
}

ConversationWindow::~ConversationWindow()
{
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

// Closing only hides it: the conversation goes on and keeps its history.
LRESULT CALLBACK ConversationWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        ShowWindow(window, SW_HIDE);
        return 0;
    }
    if (message == WM_SIZE) {
        RECT client;
        GetClientRect(window, &client);
        MoveWindow(GetWindow(window, GW_CHILD), 4, 4, client.right - 8, client.bottom - 8, TRUE);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
