#include "host/FunctionRegistry.h"

#include "host/Transcript.h"

#include <vector>

FunctionRegistry* FunctionRegistry::active = nullptr;

namespace {

// Handles start far from small integers that a confused plug-in might pass back.
const UINT_PTR firstHandle = 0x10001;

}

FunctionRegistry::FunctionRegistry(Transcript& transcript)
    : transcript(transcript), nextHandle(firstHandle), hostTable()
{
    InitializeCriticalSection(&lock);
}

FunctionRegistry::~FunctionRegistry()
{
    if (active == this)
        active = nullptr;
    DeleteCriticalSection(&lock);
}

HostHandle FunctionRegistry::createFunction(const wchar_t* name, HostHandler handler, void* userData)
{
    if (!name || !*name || !handler)
        return nullptr;
    EnterCriticalSection(&lock);
    bool taken = findFunction(name, nullptr);
    LeaveCriticalSection(&lock);
    return taken ? nullptr : add(name, handler, userData, false);
}

INT_PTR FunctionRegistry::destroyFunction(HostHandle function)
{
    return remove(function, false);
}

INT_PTR FunctionRegistry::callFunction(const wchar_t* name, WPARAM wParam, LPARAM lParam)
{
    Entry entry;
    EnterCriticalSection(&lock);
    bool found = name && findFunction(name, &entry);
    LeaveCriticalSection(&lock);
    if (!found) {
        transcript.note(L"call of an unknown function \"" + std::wstring(name ? name : L"(null)") + L"\"");
        return 0;
    }
    return entry.handler(wParam, lParam, entry.userData);
}

INT_PTR FunctionRegistry::functionExists(const wchar_t* name)
{
    EnterCriticalSection(&lock);
    bool found = name && findFunction(name, nullptr);
    LeaveCriticalSection(&lock);
    return found ? 1 : 0;
}

HostHandle FunctionRegistry::hookEvent(const wchar_t* eventName, HostHandler handler, void* userData)
{
    if (!eventName || !*eventName || !handler)
        return nullptr;
    return add(eventName, handler, userData, true);
}

INT_PTR FunctionRegistry::unhookEvent(HostHandle hook)
{
    return remove(hook, true);
}

void FunctionRegistry::fireEvent(const wchar_t* eventName, WPARAM wParam, LPARAM lParam)
{
    std::vector<Entry> hooks;
    EnterCriticalSection(&lock);
    for (const auto& item : entries) {
        if (item.second.isHook && item.second.name == eventName)
            hooks.push_back(item.second);
    }
    LeaveCriticalSection(&lock);
    for (const Entry& hook : hooks)
        hook.handler(wParam, lParam, hook.userData);
}

HostFunctionTable* FunctionRegistry::table()
{
    active = this;
    hostTable.createFunction = tableCreate;
    hostTable.destroyFunction = tableDestroy;
    hostTable.callFunction = tableCall;
    hostTable.functionExists = tableExists;
    for (void*& slot : hostTable.unused)
        slot = reinterpret_cast<void*>(tableUnused);
    hostTable.hookEvent = tableHook;
    hostTable.unhookEvent = tableUnhook;
    return &hostTable;
}

HostHandle FunctionRegistry::add(const wchar_t* name, HostHandler handler, void* userData, bool isHook)
{
    EnterCriticalSection(&lock);
    UINT_PTR handle = nextHandle++;
    entries[handle] = Entry{name, handler, userData, isHook};
    LeaveCriticalSection(&lock);
    return reinterpret_cast<HostHandle>(handle);
}

INT_PTR FunctionRegistry::remove(HostHandle handle, bool isHook)
{
    EnterCriticalSection(&lock);
    auto item = entries.find(reinterpret_cast<UINT_PTR>(handle));
    bool found = item != entries.end() && item->second.isHook == isHook;
    if (found)
        entries.erase(item);
    LeaveCriticalSection(&lock);
    return found ? 1 : 0;
}

bool FunctionRegistry::findFunction(const std::wstring& name, Entry* found)
{
    for (const auto& item : entries) {
        if (!item.second.isHook && item.second.name == name) {
            if (found)
                *found = item.second;
            return true;
        }
    }
    return false;
}

HostHandle __cdecl FunctionRegistry::tableCreate(const wchar_t* name, HostHandler handler, void* userData)
{
    return active ? active->createFunction(name, handler, userData) : nullptr;
}

INT_PTR __cdecl FunctionRegistry::tableDestroy(HostHandle function)
{
    return active ? active->destroyFunction(function) : 0;
}

INT_PTR __cdecl FunctionRegistry::tableCall(const wchar_t* name, WPARAM wParam, LPARAM lParam)
{
    return active ? active->callFunction(name, wParam, lParam) : 0;
}

INT_PTR __cdecl FunctionRegistry::tableExists(const wchar_t* name)
{
    return active ? active->functionExists(name) : 0;
}

HostHandle __cdecl FunctionRegistry::tableHook(const wchar_t* eventName, HostHandler handler, void* userData)
{
    return active ? active->hookEvent(eventName, handler, userData) : nullptr;
}

INT_PTR __cdecl FunctionRegistry::tableUnhook(HostHandle hook)
{
    return active ? active->unhookEvent(hook) : 0;
}

// Slots 4 to 7 are not part of the contract; a call through them does nothing.
// cdecl leaves the arguments to the caller, so any argument count is safe.
INT_PTR __cdecl FunctionRegistry::tableUnused()
{
    return 0;
}
