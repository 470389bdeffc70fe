#include "host/MainWindow.h"

#include "host/ContactList.h"

#include <windowsx.h>

const wchar_t MainWindow::className[] = L"{B993D471-D465-43F2-BBA5-DEEA18A1789E}";

namespace {

const UINT messageArrived = WM_APP + 1;
const UINT idOptions = 1;
const UINT idQuit = 2;
const UINT idConversation = 3;
const UINT firstItem = 100;
const int listId = 10;

void appendItems(HMENU menu, const std::vector<MenuService::Item>& items, const std::wstring& menuId)
{
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].menuId == menuId)
            AppendMenuW(menu, MF_STRING, firstItem + i, items[i].caption.c_str());
    }
}

}

MainWindow::MainWindow(HINSTANCE instance, const ContactList& contacts, MenuService& menus, OptionsService& options)
    : instance(instance), contacts(contacts), menus(menus), options(options), forPeople(false), window(nullptr),
      list(nullptr), mainPopup(nullptr)
{
}

MainWindow::~MainWindow()
{
    optionsWindow.reset();
    conversations.clear();
    if (window)
        DestroyWindow(window);
}

void MainWindow::create(bool people)
{
    forPeople = people;
    WNDCLASSEXW cls = {};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = windowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = className;
    RegisterClassExW(&cls);

    HMENU bar = CreateMenu();
    mainPopup = CreatePopupMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(mainPopup), L"&Menu");
    window = CreateWindowExW(0, className, L"WTW", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, 280, 420, nullptr, bar,
        instance, this);
    list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, 0, 0, 0,
        0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(listId)), instance, nullptr);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    for (size_t i = 0; i < contacts.size(); ++i)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(contacts.at(i).name().c_str()));
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    SendMessageW(window, WM_SIZE, 0, 0);
    if (forPeople)
        ShowWindow(window, SW_SHOW);
}

HWND MainWindow::handle() const
{
    return window;
}

void MainWindow::post(const ConversationService::Message& message)
{
    HWND target = window;
    auto copy = new ConversationService::Message(message);
    // A posted copy belongs to the window procedure, which deletes it.
    if (!target || !PostMessageW(target, messageArrived, 0, reinterpret_cast<LPARAM>(copy)))
        delete copy;
} // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)

void MainWindow::closeOptions()
{
    if (optionsWindow && optionsWindow->isOpen())
        optionsWindow->cancel();
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->window == window)
        return self->handle(message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE: {
        RECT client;
        GetClientRect(window, &client);
        MoveWindow(list, 0, 0, client.right, client.bottom, TRUE);
        return 0;
    }
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wParam) == mainPopup)
            rebuildMainMenu();
        return 0;
    case WM_CONTEXTMENU:
        if (forPeople && reinterpret_cast<HWND>(wParam) == list)
            showContactMenu(lParam);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == listId && HIWORD(wParam) == LBN_DBLCLK)
            command(idConversation);
        else if (!lParam)
            command(LOWORD(wParam));
        return 0;
    case messageArrived: {
        std::unique_ptr<ConversationService::Message> arrived(reinterpret_cast<ConversationService::Message*>(lParam));
        received(*arrived);
        return 0;
    }
    case WM_CLOSE:
        if (forPeople)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (forPeople)
            PostQuitMessage(0);
        window = nullptr;
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void MainWindow::command(UINT id)
{
    int selected = int(SendMessageW(list, LB_GETCURSEL, 0, 0));
    if (id == idOptions)
        openOptions();
    else if (id == idQuit)
        DestroyWindow(window);
    else if (id == idConversation && selected >= 0)
        conversation(contacts.at(selected).name()).show();
    else if (id >= firstItem && id - firstItem < mainItems.size())
        pick(mainItems[id - firstItem], nullptr);
}

void MainWindow::rebuildMainMenu()
{
    while (GetMenuItemCount(mainPopup) > 0)
        DeleteMenu(mainPopup, 0, MF_BYPOSITION);
    mainItems = menus.open(L"WTW/Menu/Main");
    HMENU optionsMenu = CreatePopupMenu();
    AppendMenuW(optionsMenu, MF_STRING, idOptions, L"&Ustawienia...");
    AppendMenuW(optionsMenu, MF_SEPARATOR, 0, nullptr);
    appendItems(optionsMenu, mainItems, L"WTW/Menu/Main/Opt");
    AppendMenuW(mainPopup, MF_POPUP, reinterpret_cast<UINT_PTR>(optionsMenu), L"&Opcje");
    appendItems(mainPopup, mainItems, L"WTW/Menu/Main");
    AppendMenuW(mainPopup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(mainPopup, MF_STRING, idQuit, L"&Zakończ");
}

void MainWindow::showContactMenu(LPARAM where)
{
    POINT screen;
    int index = contactAt(where, &screen);
    if (index < 0)
        return;
    SendMessageW(list, LB_SETCURSEL, index, 0);
    std::vector<MenuService::Item> items = menus.open(L"WTW/Menu/Contact");
    HMENU popup = CreatePopupMenu();
    HMENU sendMenu = CreatePopupMenu();
    AppendMenuW(popup, MF_STRING, idConversation, L"&Rozmowa");
    appendItems(sendMenu, items, L"WTW/Menu/Contact/Send");
    AppendMenuW(popup, MF_POPUP | (GetMenuItemCount(sendMenu) ? 0 : MF_GRAYED), reinterpret_cast<UINT_PTR>(sendMenu),
        L"&Wyślij");
    appendItems(popup, items, L"WTW/Menu/Contact");
    UINT id = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, window, nullptr);
    DestroyMenu(popup);
    ContactRecord contact = contacts.record(index);
    if (id == idConversation)
        conversation(contacts.at(index).name()).show();
    else if (id >= firstItem && id - firstItem < items.size())
        pick(items[id - firstItem], &contact);
}

// The contact under the mouse, or the selected one for the keyboard's menu key.
int MainWindow::contactAt(LPARAM where, POINT* screen) const
{
    screen->x = GET_X_LPARAM(where);
    screen->y = GET_Y_LPARAM(where);
    if (screen->x == -1 && screen->y == -1) {
        int selected = int(SendMessageW(list, LB_GETCURSEL, 0, 0));
        RECT item = {};
        SendMessageW(list, LB_GETITEMRECT, selected, reinterpret_cast<LPARAM>(&item));
        screen->x = item.left;
        screen->y = item.bottom;
        ClientToScreen(list, screen);
        return selected;
    }
    POINT client = *screen;
    ScreenToClient(list, &client);
    LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
    return HIWORD(hit) ? -1 : int(LOWORD(hit));
}

void MainWindow::pick(const MenuService::Item& item, ContactRecord* contact)
{
    MenuCommandInfo info = {};
    info.contact = contact;
    item.handler(0, reinterpret_cast<LPARAM>(&info), item.userData);
}

void MainWindow::openOptions()
{
    if (optionsWindow && optionsWindow->isOpen())
        return;
    std::vector<OptionsService::Page> pages = options.pages();
    if (pages.empty())
        return;
    optionsWindow = std::make_unique<OptionsWindow>(instance, window, pages);
    optionsWindow->open(0);
}

HWND MainWindow::startTyping(const std::wstring& contact)
{
    ConversationWindow& typedInto = conversation(contact);
    typedInto.startTyping();
    return typedInto.typingBox();
}

ConversationWindow& MainWindow::conversation(const std::wstring& contact)
{
    std::unique_ptr<ConversationWindow>& found = conversations[contact];
    if (!found)
        found = std::make_unique<ConversationWindow>(instance, window, contact);
    return *found;
}

void MainWindow::received(const ConversationService::Message& message)
{
    ConversationWindow& window = conversation(message.contact);
    if (message.function.empty())
        window.append(L"pokazano: " + message.text);
    else
        window.append(L"wysłano (" + message.function + L"): " + message.text);
    window.show();
}
