#include "plugin/ModulePin.h"

namespace Vornix {

HANDLE ModulePin::startThread(LPTHREAD_START_ROUTINE routine, LPVOID argument)
{
    HMODULE pin = ourModule(0);
    if (!pin)
        return nullptr;
    HANDLE thread = CreateThread(nullptr, 0, routine, argument, 0, nullptr);
    if (!thread)
        FreeLibrary(pin);
    return thread;
}

void ModulePin::exitThread(DWORD exitCode)
{
    FreeLibraryAndExitThread(ourModule(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT), exitCode);
}

void ModulePin::pinForever()
{
    ourModule(GET_MODULE_HANDLE_EX_FLAG_PIN);
}

// Our own address names the module: the plug-in DLL, or a program linking this code.
HMODULE ModulePin::ourModule(DWORD flags)
{
    HMODULE module = nullptr;
    GetModuleHandleExW(flags | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ourModule),
                       &module);
    return module;
}

}
