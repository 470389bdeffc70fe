#include "host/OptionsWindow.h"

#include "host/Text.h"

namespace {

const wchar_t windowClass[] = L"VornixHostOptions";
const wchar_t areaClass[] = L"VornixHostOptionsPage";
const int listId = 100;
const size_t none = size_t(-1);
// Tall enough for the plug-in's whole page, "Sprawdź" at its foot included.
const RECT areaRect = {170, 40, 630, 560};

void registerClasses(HINSTANCE instance, WNDPROC windowProc)
{
    WNDCLASSEXW cls = {};
    cls.cbSize = sizeof(cls);
    if (GetClassInfoExW(instance, windowClass, &cls))
        return;
    cls.lpfnWndProc = windowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = windowClass;
    RegisterClassExW(&cls);
    cls.lpfnWndProc = DefWindowProcW;
    cls.lpszClassName = areaClass;
    RegisterClassExW(&cls);
}

HWND child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int width, int height, int id)
{
    HWND control = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return control;
}

}

OptionsWindow::OptionsWindow(HINSTANCE instance, HWND owner, const std::vector<OptionsService::Page>& pages)
    : instance(instance), owner(owner), pages(pages), window(nullptr), list(nullptr), description(nullptr),
      areas(pages.size(), nullptr), told(pages.size(), false), current(none)
{
    registerClasses(instance, windowProc);
}

OptionsWindow::~OptionsWindow()
{
    if (window)
        cancel();
}

void OptionsWindow::open(size_t page)
{
    RECT frame = {0, 0, 640, 600};
    AdjustWindowRectEx(&frame, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, FALSE, 0);
    window = CreateWindowExW(WS_EX_CONTROLPARENT, windowClass, L"Ustawienia", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
        CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, owner, nullptr, instance, this);
    createChildren();
    if (IsWindowVisible(owner))
        ShowWindow(window, SW_SHOW);
    select(page);
}

bool OptionsWindow::isOpen() const
{
    return window != nullptr;
}

HWND OptionsWindow::pageArea(size_t page) const
{
    return page < areas.size() ? areas[page] : nullptr;
}

void OptionsWindow::select(size_t page)
{
    if (!window || page >= pages.size() || page == current)
        return;
    if (current != none) {
        tellPage(current, OptionsPageHide);
        ShowWindow(areas[current], SW_HIDE);
    }
    current = page;
    SendMessageW(list, LB_SETCURSEL, page, 0);
    ShowWindow(areas[page], SW_SHOW);
    tellPage(page, OptionsPageShow);
}

void OptionsWindow::ok()
{
    close(OptionsPageSave);
}

void OptionsWindow::cancel()
{
    close(OptionsPageCancel);
}

LRESULT CALLBACK OptionsWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto self = reinterpret_cast<OptionsWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->window == window)
        return self->handle(message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT OptionsWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            ok();
        else if (LOWORD(wParam) == IDCANCEL)
            cancel();
        else if (LOWORD(wParam) == listId && HIWORD(wParam) == LBN_SELCHANGE)
            select(size_t(SendMessageW(list, LB_GETCURSEL, 0, 0)));
        return 0;
    case WM_CLOSE:
        cancel();
        return 0;
    case WM_DESTROY:
        // Destroyed along with its owner: the pages cancel while their windows still exist.
        tellPages(OptionsPageCancel);
        window = nullptr;
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void OptionsWindow::createChildren()
{
    list = child(window, L"LISTBOX", L"", WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, 10, 10, 150, 550, listId);
    for (const OptionsService::Page& page : pages)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(page.caption.c_str()));
    description = child(window, L"STATIC", L"", SS_LEFT, areaRect.left, 10, areaRect.right - areaRect.left, 24, 0);
    for (HWND& area : areas) {
        area = CreateWindowExW(WS_EX_CONTROLPARENT, areaClass, L"", WS_CHILD | WS_CLIPCHILDREN, areaRect.left,
            areaRect.top, areaRect.right - areaRect.left, areaRect.bottom - areaRect.top, window, nullptr, instance, nullptr);
    }
    child(window, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 450, 566, 85, 26, IDOK);
    child(window, L"BUTTON", L"Anuluj", BS_PUSHBUTTON | WS_TABSTOP, 545, 566, 85, 26, IDCANCEL);
}

void OptionsWindow::tellPage(size_t page, DWORD action)
{
    RECT area;
    GetClientRect(areas[page], &area);
    OptionsPageEvent event = {};
    event.size = sizeof(event);
    event.pageId = pages[page].id.c_str();
    event.action = action;
    event.parent = areas[page];
    event.x = 8;
    event.y = 8;
    event.width = area.right - 16;
    event.height = area.bottom - 16;
    told[page] = true;
    pages[page].handler(reinterpret_cast<WPARAM>(&event), 0, pages[page].userData);
    if (page == current && window)
        SetWindowTextW(description, Text::copyOf(event.description, sizeof(event.description) / sizeof(wchar_t)).c_str());
}

void OptionsWindow::tellPages(DWORD action)
{
    for (size_t page = 0; page < pages.size(); ++page) {
        if (told[page])
            tellPage(page, action);
    }
}

void OptionsWindow::close(DWORD action)
{
    if (!window)
        return;
    tellPages(action);
    HWND closing = window;
    window = nullptr;
    DestroyWindow(closing);
}
