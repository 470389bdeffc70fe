// "WTW/Menu/Add" and "WTW/Menu/Remove", and the opening of a menu: before a menu
// opens, "WTW/OnMenuRebuild" lets the plug-ins pick which of their contact-menu
// items this opening offers (the event's addItem). Items of other menus are
// always offered.
#pragma once

#include "plugin/HostInterface.h"

#include <set>
#include <string>
#include <vector>

class FunctionRegistry;

class MenuService {
public:
    struct Item {
        std::wstring itemId;
        std::wstring menuId;
        std::wstring caption;
        HostHandler handler;
        void* userData;
    };

    explicit MenuService(FunctionRegistry& registry);
    ~MenuService();
    MenuService(const MenuService&) = delete;
    MenuService& operator=(const MenuService&) = delete;

    // Fires the rebuild event for the menu, then returns the items it offers
    // in it and in its submenus ("MENU/..."), in the order they were added.
    // Call on the user-interface thread.
    std::vector<Item> open(const std::wstring& menuId);

private:
    // wParam MenuItemInfo*: 1 when the item was added or removed.
    INT_PTR add(WPARAM wParam, LPARAM lParam);
    INT_PTR remove(WPARAM wParam, LPARAM lParam);
    static INT_PTR __cdecl addItem(UINT_PTR menuHandle, const wchar_t* itemId);
    std::vector<Item> offered(const std::wstring& menuId);

    static MenuService* active;

    FunctionRegistry& registry;
    CRITICAL_SECTION lock;
    std::vector<Item> items;
    UINT_PTR opening;  // the handle of the menu now opening, 0 when none is
    UINT_PTR lastOpening;
    std::set<std::wstring> addedNow;
};
