#include "host/OptionsService.h"

#include "host/FunctionRegistry.h"
#include "host/ServiceThunk.h"
#include "host/Text.h"

#include <algorithm>

OptionsService::OptionsService(FunctionRegistry& registry)
{
    InitializeCriticalSection(&lock);
    registry.createFunction(L"WTW/AddOptionsPage", serviceThunk<OptionsService, &OptionsService::add>, this);
    registry.createFunction(L"WTW/RemoveOptionsPage", serviceThunk<OptionsService, &OptionsService::remove>, this);
}

OptionsService::~OptionsService()
{
    DeleteCriticalSection(&lock);
}

std::vector<OptionsService::Page> OptionsService::pages()
{
    EnterCriticalSection(&lock);
    std::vector<Page> copy = list;
    LeaveCriticalSection(&lock);
    return copy;
}

INT_PTR OptionsService::add(WPARAM wParam, LPARAM lParam)
{
    auto info = reinterpret_cast<const OptionsPageInfo*>(lParam);
    if (!info || info->size < sizeof(OptionsPageInfo) || !info->id || !info->handler)
        return 0;
    Page page = {info->id, Text::copyOf(info->group), Text::copyOf(info->caption), info->handler, info->userData,
        reinterpret_cast<HMODULE>(wParam)};
    EnterCriticalSection(&lock);
    auto same = [&](const Page& other) { return other.id == page.id; };
    bool taken = std::any_of(list.begin(), list.end(), same);
    if (!taken)
        list.push_back(page);
    LeaveCriticalSection(&lock);
    return taken ? 0 : 1;
}

INT_PTR OptionsService::remove(WPARAM, LPARAM lParam)
{
    auto id = reinterpret_cast<const wchar_t*>(lParam);
    if (!id)
        return 0;
    std::wstring key = id;
    EnterCriticalSection(&lock);
    size_t before = list.size();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Page& page) { return page.id == key; }), list.end());
    bool removed = list.size() != before;
    LeaveCriticalSection(&lock);
    return removed ? 1 : 0;
}
