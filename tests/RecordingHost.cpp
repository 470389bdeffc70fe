#include "tests/RecordingHost.h"

#include <cstdio>

namespace {
RecordingHost* current = nullptr;

std::wstring pointer(const void* p)
{
    wchar_t text[32];
    swprintf(text, 32, L"%08lX", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(p)));
    return text;
}

std::wstring text(const wchar_t* p)
{
    return p ? std::wstring(p) : L"(null)";
}

std::wstring describeMenuItem(const MenuItemInfo* item)
{
    return L"size=" + std::to_wstring(item->size) + L" item=" + text(item->itemId) + L" menu=" +
           text(item->menuId) + L" caption=" + text(item->caption) + L" handler=" +
           pointer(reinterpret_cast<const void*>(item->handler)) + L" user=" + pointer(item->userData);
}

std::wstring describePage(const OptionsPageInfo* page)
{
    return L"size=" + std::to_wstring(page->size) + L" id=" + pointer(page->id) + L" group=" + text(page->group) +
           L" caption=" + text(page->caption) + L" handler=" + pointer(reinterpret_cast<const void*>(page->handler)) +
           L" user=" + pointer(page->userData);
}

std::wstring describeSetting(const SettingValue* value)
{
    std::wstring out = L"size=" + std::to_wstring(value->size) + L" key=" + text(value->key) + L" type=" +
                       std::to_wstring(value->type) + L" handle=" + pointer(value->settings);
    if (value->type == SettingInteger)
        out += L" int=" + std::to_wstring(value->value.integer) + L" length=" + std::to_wstring(value->length);
    return out;
}
}

struct RecordingHostCalls {
    static HostHandle __cdecl createFunction(const wchar_t* name, HostHandler handler, void* user)
    {
        current->record({L"createFunction", text(name), reinterpret_cast<UINT_PTR>(handler),
                         reinterpret_cast<UINT_PTR>(user), L""});
        return reinterpret_cast<HostHandle>(0xF00);
    }
    static INT_PTR __cdecl destroyFunction(HostHandle handle)
    {
        current->record({L"destroyFunction", L"", reinterpret_cast<UINT_PTR>(handle), 0, L""});
        return 0;
    }
    static INT_PTR __cdecl functionExists(const wchar_t* name)
    {
        current->record({L"functionExists", text(name), 0, 0, L""});
        return std::wstring(name) == L"wtwSkarvelin/sendFile" && current->sendFileExists;
    }
    static HostHandle __cdecl hookEvent(const wchar_t* name, HostHandler handler, void* user)
    {
        current->record({L"hookEvent", text(name), reinterpret_cast<UINT_PTR>(handler),
                         reinterpret_cast<UINT_PTR>(user), L""});
        return reinterpret_cast<HostHandle>(0xE00);
    }
    static INT_PTR __cdecl unhookEvent(HostHandle handle)
    {
        current->record({L"unhookEvent", L"", reinterpret_cast<UINT_PTR>(handle), 0, L""});
        return 0;
    }
    static INT_PTR __cdecl callFunction(const wchar_t* name, WPARAM wParam, LPARAM lParam)
    {
        std::wstring called = text(name);
        HostCall call = {L"callFunction", called, wParam, static_cast<UINT_PTR>(lParam), L""};
        INT_PTR result = 0;
        if (called == L"WTW/Menu/Add" || called == L"WTW/Menu/Remove")
            call.record = describeMenuItem(reinterpret_cast<const MenuItemInfo*>(wParam));
        else if (called == L"WTW/AddOptionsPage")
            call.record = describePage(reinterpret_cast<const OptionsPageInfo*>(lParam));
        else if (called == L"WTW/Settings/GetMyConfigFile") {
            auto request = reinterpret_cast<ConfigFileRequest*>(wParam);
            call.record = L"size=" + std::to_wstring(request->size) + L" capacity=" +
                          std::to_wstring(request->capacity) + L" buffer=" + text(request->buffer);
            wcscpy(request->buffer, current->configFile.c_str());
            result = 1;
        } else if (called == L"WTW/Settings/Init") {
            call.record = text(reinterpret_cast<const wchar_t*>(wParam));
            result = reinterpret_cast<INT_PTR>(current->settingsHandle);
        } else if (called == L"WTW/Settings/Get") {
            auto value = reinterpret_cast<SettingValue*>(wParam);
            call.record = describeSetting(value);
            result = current->get(value);
        } else if (called == L"WTW/Settings/Set") {
            auto value = reinterpret_cast<SettingValue*>(wParam);
            call.record = describeSetting(value);
            current->set(value);
        }
        current->record(call);
        return result;
    }
};

RecordingHost::RecordingHost() : table()
{
    current = this;
    table.createFunction = RecordingHostCalls::createFunction;
    table.destroyFunction = RecordingHostCalls::destroyFunction;
    table.callFunction = RecordingHostCalls::callFunction;
    table.functionExists = RecordingHostCalls::functionExists;
    table.hookEvent = RecordingHostCalls::hookEvent;
    table.unhookEvent = RecordingHostCalls::unhookEvent;
}

RecordingHost::~RecordingHost()
{
    current = nullptr;
}

INT_PTR RecordingHost::get(SettingValue* value)
{
    std::lock_guard<std::mutex> guard(mutex);
    std::wstring key = value->key;
    if (value->type == SettingInteger) {
        auto found = integers.find(key);
        if (found == integers.end())
            return 0;
        value->value.integer = found->second;
        return 1;
    }
    auto found = texts.find(key);
    if (found == texts.end())
        return 0;
    std::wstring stored = found->second.substr(0, value->length - 1);
    wcscpy(value->value.text, stored.c_str());
    return 1;
}

void RecordingHost::set(const SettingValue* value)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (value->type == SettingInteger)
        integers[value->key] = value->value.integer;
    else
        texts[value->key] = std::wstring(value->value.text, value->length);
}

void RecordingHost::record(HostCall call)
{
    std::lock_guard<std::mutex> guard(mutex);
    recorded.push_back(call);
}

std::vector<HostCall> RecordingHost::calls()
{
    std::lock_guard<std::mutex> guard(mutex);
    return recorded;
}

std::vector<std::wstring> RecordingHost::names()
{
    std::vector<std::wstring> out;
    for (const HostCall& call : calls())
        out.push_back(call.function + L" " + call.name);
    return out;
}

void RecordingHost::clearCalls()
{
    std::lock_guard<std::mutex> guard(mutex);
    recorded.clear();
}
