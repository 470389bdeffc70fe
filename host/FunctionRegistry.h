// The host's named functions and events. Plug-ins reach them through the table
// from table(); the host registers its own services here too. Every operation may
// be called from any thread; no handler is ever called with the lock held, since
// handlers call back into the registry and job threads call at the same time.
#pragma once

#include "plugin/HostInterface.h"

#include <map>
#include <string>

class Transcript;

class FunctionRegistry {
public:
    explicit FunctionRegistry(Transcript& transcript);
    ~FunctionRegistry();
    FunctionRegistry(const FunctionRegistry&) = delete;
    FunctionRegistry& operator=(const FunctionRegistry&) = delete;

    // 0 when the name is missing, already taken or the handler is null.
    HostHandle createFunction(const wchar_t* name, HostHandler handler, void* userData);
    // 1 when the handle named a function, else 0.
    INT_PTR destroyFunction(HostHandle function);
    // The function's result; 0 for a name that is not registered.
    INT_PTR callFunction(const wchar_t* name, WPARAM wParam, LPARAM lParam);
    INT_PTR functionExists(const wchar_t* name);

    HostHandle hookEvent(const wchar_t* eventName, HostHandler handler, void* userData);
    INT_PTR unhookEvent(HostHandle hook);
    // Calls every hook of the event in the order they were hooked.
    void fireEvent(const wchar_t* eventName, WPARAM wParam, LPARAM lParam);

    // The operations table for plug-ins; its slots reach this registry.
    HostFunctionTable* table();

private:
    struct Entry {
        std::wstring name;
        HostHandler handler;
        void* userData;
        bool isHook;
    };

    HostHandle add(const wchar_t* name, HostHandler handler, void* userData, bool isHook);
    INT_PTR remove(HostHandle handle, bool isHook);
    bool findFunction(const std::wstring& name, Entry* found);

    static HostHandle __cdecl tableCreate(const wchar_t* name, HostHandler handler, void* userData);
    static INT_PTR __cdecl tableDestroy(HostHandle function);
    static INT_PTR __cdecl tableCall(const wchar_t* name, WPARAM wParam, LPARAM lParam);
    static INT_PTR __cdecl tableExists(const wchar_t* name);
    static HostHandle __cdecl tableHook(const wchar_t* eventName, HostHandler handler, void* userData);
    static INT_PTR __cdecl tableUnhook(HostHandle hook);
    static INT_PTR __cdecl tableUnused();

    static FunctionRegistry* active;

    Transcript& transcript;
    CRITICAL_SECTION lock;
    std::map<UINT_PTR, Entry> entries;  // by handle, so in registration order
    UINT_PTR nextHandle;
    HostFunctionTable hostTable;
};
