// The plug-in DLL: loaded with LoadLibraryW, reached through its three exports.
#pragma once

#include "plugin/HostInterface.h"
#include "plugin/PluginInfo.h"

#include <string>

class PluginModule {
public:
    PluginModule();
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // Loads the DLL and finds its exports; on failure says why in *error.
    bool load(const std::wstring& path, std::wstring* error);
    HMODULE module() const;
    const PluginInfo* info() const;
    int start(HostFunctionTable* table);
    int stop();
    void release();

    // Threads of this process whose start routine lies in the plug-in's image:
    // its jobs and its cleaner, however it names them.
    int runningThreads() const;

private:
    typedef const PluginInfo*(__cdecl* QueryFunction)(DWORD_PTR, DWORD_PTR);
    typedef int(__cdecl* LoadFunction)(DWORD_PTR, HostFunctionTable*);
    typedef int(__cdecl* UnloadFunction)(DWORD_PTR);

    bool startsInImage(DWORD threadId) const;

    HMODULE handle;
    QueryFunction query;
    LoadFunction loadEntry;
    UnloadFunction unloadEntry;
    UINT_PTR imageStart;
    UINT_PTR imageEnd;
};
