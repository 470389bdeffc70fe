// The library's exports and entry point.
#include "commands/Lifecycle.h"
#include "plugin/PluginInfo.h"
#include "plugin/PluginState.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD /*reason*/, LPVOID /*reserved*/)
{
    pluginState.moduleHandle = module;
    return TRUE;
}

extern "C" {

const PluginInfo* __cdecl queryPlugInfo(DWORD_PTR, DWORD_PTR)
{
    return &pluginInfo;
}

int __cdecl pluginLoad(DWORD_PTR, HostFunctionTable* host)
{
    return Lifecycle::load(host);
}

int __cdecl pluginUnload(DWORD_PTR)
{
    return Lifecycle::unload();
}
}
