#include "host/MenuService.h"

#include "host/FunctionRegistry.h"
#include "host/ServiceThunk.h"
#include "host/Text.h"

#include <algorithm>

MenuService* MenuService::active = nullptr;

namespace {

const std::wstring contactMenu = L"WTW/Menu/Contact";

bool inMenu(const std::wstring& itemMenu, const std::wstring& menu)
{
    return itemMenu == menu || Text::startsWith(itemMenu, menu + L"/");
}

const MenuItemInfo* infoOf(WPARAM wParam)
{
    auto info = reinterpret_cast<const MenuItemInfo*>(wParam);
    return info && info->size >= sizeof(MenuItemInfo) && info->itemId && info->menuId ? info : nullptr;
}

}

MenuService::MenuService(FunctionRegistry& registry)
    : registry(registry), opening(0), lastOpening(0x30000)
{
    InitializeCriticalSection(&lock);
    active = this;
    registry.createFunction(L"WTW/Menu/Add", serviceThunk<MenuService, &MenuService::add>, this);
    registry.createFunction(L"WTW/Menu/Remove", serviceThunk<MenuService, &MenuService::remove>, this);
}

MenuService::~MenuService()
{
    if (active == this)
        active = nullptr;
    DeleteCriticalSection(&lock);
}

std::vector<MenuService::Item> MenuService::open(const std::wstring& menuId)
{
    EnterCriticalSection(&lock);
    opening = ++lastOpening;
    addedNow.clear();
    MenuRebuildEvent event = {};
    event.size = sizeof(event);
    event.menuId = menuId.c_str();
    event.menuHandle = opening;
    event.addItem = addItem;
    LeaveCriticalSection(&lock);

    registry.fireEvent(L"WTW/OnMenuRebuild", reinterpret_cast<WPARAM>(&event), 0);

    EnterCriticalSection(&lock);
    opening = 0;
    std::vector<Item> result = offered(menuId);
    LeaveCriticalSection(&lock);
    return result;
}

INT_PTR MenuService::add(WPARAM wParam, LPARAM)
{
    const MenuItemInfo* info = infoOf(wParam);
    if (!info || !info->handler)
        return 0;
    Item item = {info->itemId, info->menuId, Text::copyOf(info->caption), info->handler, info->userData};
    EnterCriticalSection(&lock);
    auto same = [&](const Item& other) { return other.itemId == item.itemId && other.menuId == item.menuId; };
    items.erase(std::remove_if(items.begin(), items.end(), same), items.end());
    items.push_back(item);
    LeaveCriticalSection(&lock);
    return 1;
}

INT_PTR MenuService::remove(WPARAM wParam, LPARAM)
{
    const MenuItemInfo* info = infoOf(wParam);
    if (!info)
        return 0;
    std::wstring itemId = info->itemId;
    std::wstring menuId = info->menuId;
    EnterCriticalSection(&lock);
    size_t before = items.size();
    auto same = [&](const Item& other) { return other.itemId == itemId && other.menuId == menuId; };
    items.erase(std::remove_if(items.begin(), items.end(), same), items.end());
    bool removed = items.size() != before;
    LeaveCriticalSection(&lock);
    return removed ? 1 : 0;
}

// 1 when the handle is the menu now opening; a late or invented handle adds nothing.
INT_PTR __cdecl MenuService::addItem(UINT_PTR menuHandle, const wchar_t* itemId)
{
    MenuService* self = active;
    if (!self || !itemId)
        return 0;
    EnterCriticalSection(&self->lock);
    bool accepted = menuHandle != 0 && menuHandle == self->opening;
    if (accepted)
        self->addedNow.insert(itemId);
    LeaveCriticalSection(&self->lock);
    return accepted ? 1 : 0;
}

std::vector<MenuService::Item> MenuService::offered(const std::wstring& menuId)
{
    std::vector<Item> result;
    for (const Item& item : items) {
        if (!inMenu(item.menuId, menuId))
            continue;
        if (!inMenu(item.menuId, contactMenu) || addedNow.count(item.itemId))
            result.push_back(item);
    }
    return result;
}
