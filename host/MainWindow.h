// The messenger's main window, of the class plug-ins look for. For people it has
// the contact list (each contact's menu with its "Wyślij" submenu, a double-click
// opens the conversation), the main menu with its "Opcje" submenu and the
// options window. Every menu fires "WTW/OnMenuRebuild" as it opens.
#pragma once

#include "host/ConversationService.h"
#include "host/ConversationWindow.h"
#include "host/MenuService.h"
#include "host/OptionsWindow.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class ContactList;

class MainWindow {
public:
    static const wchar_t className[];

    MainWindow(HINSTANCE instance, const ContactList& contacts, MenuService& menus, OptionsService& options);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // forPeople: shown, and closing it ends the message loop. A scripted run keeps
    // the host's own windows hidden: under Wine without a window manager each
    // shown window costs about a second as it goes (measured).
    void create(bool forPeople);
    HWND handle() const;
    // Any thread: the message goes to its contact's conversation window.
    void post(const ConversationService::Message& message);
    // Cancels an options window that a person left open.
    void closeOptions();
    // The contact's conversation, with the focus in its typing box; returns the box.
    HWND startTyping(const std::wstring& contact);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void command(UINT id);
    void rebuildMainMenu();
    void showContactMenu(LPARAM where);
    int contactAt(LPARAM where, POINT* screen) const;
    void pick(const MenuService::Item& item, ContactRecord* contact);
    void openOptions();
    ConversationWindow& conversation(const std::wstring& contact);
    void received(const ConversationService::Message& message);

    HINSTANCE instance;
    const ContactList& contacts;
    MenuService& menus;
    OptionsService& options;
    bool forPeople;
    HWND window;
    HWND list;
    HMENU mainPopup;
    std::vector<MenuService::Item> mainItems;
    std::unique_ptr<OptionsWindow> optionsWindow;
    std::map<std::wstring, std::unique_ptr<ConversationWindow>> conversations;
};
