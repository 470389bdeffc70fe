#include "host/PluginModule.h"

#include <tlhelp32.h>

namespace {

// NtQueryInformationThread's class for the thread's start routine (measured under Wine too).
const ULONG threadStartAddress = 9;
typedef LONG(NTAPI* QueryThread)(HANDLE, ULONG, PVOID, ULONG, PULONG);

QueryThread queryThread()
{
    static QueryThread function = reinterpret_cast<QueryThread>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread"));
    return function;
}

}

PluginModule::PluginModule()
    : handle(nullptr), query(nullptr), loadEntry(nullptr), unloadEntry(nullptr), imageStart(0), imageEnd(0)
{
}

PluginModule::~PluginModule()
{
    release();
}

bool PluginModule::load(const std::wstring& path, std::wstring* error)
{
    handle = LoadLibraryW(path.c_str());
    if (!handle) {
        *error = L"cannot load " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    query = reinterpret_cast<QueryFunction>(GetProcAddress(handle, "queryPlugInfo"));
    loadEntry = reinterpret_cast<LoadFunction>(GetProcAddress(handle, "pluginLoad"));
    unloadEntry = reinterpret_cast<UnloadFunction>(GetProcAddress(handle, "pluginUnload"));
    if (!query || !loadEntry || !unloadEntry) {
        *error = path + L" lacks queryPlugInfo, pluginLoad or pluginUnload";
        release();
        return false;
    }
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(handle);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(handle) + dos->e_lfanew);
    imageStart = reinterpret_cast<UINT_PTR>(handle);
    imageEnd = imageStart + nt->OptionalHeader.SizeOfImage;
    return true;
}

HMODULE PluginModule::module() const
{
    return handle;
}

const PluginInfo* PluginModule::info() const
{
    return query(0, 0);
}

int PluginModule::start(HostFunctionTable* table)
{
    return loadEntry(0, table);
}

int PluginModule::stop()
{
    return unloadEntry(0);
}

void PluginModule::release()
{
    if (handle)
        FreeLibrary(handle);
    handle = nullptr;
}

int PluginModule::runningThreads() const
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId() && startsInImage(entry.th32ThreadID))
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

bool PluginModule::startsInImage(DWORD threadId) const
{
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    if (!thread)
        return false;
    void* start = nullptr;
    bool known = queryThread() && queryThread()(thread, threadStartAddress, &start, sizeof(start), nullptr) == 0;
    CloseHandle(thread);
    UINT_PTR address = reinterpret_cast<UINT_PTR>(start);
    return known && address >= imageStart && address < imageEnd;
}
