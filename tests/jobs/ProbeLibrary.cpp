#include "tests/jobs/ProbeLibrary.h"

namespace {

std::wstring besideThisProgram(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}

std::wstring inTemporaryFolder(const wchar_t* name)
{
    wchar_t dir[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir, length) + name;
}

template <typename Function>
void find(HMODULE module, const char* name, Function& function)
{
    function = module ? reinterpret_cast<Function>(GetProcAddress(module, name)) : nullptr;
}

}

ProbeLibrary::ProbeLibrary(const wchar_t* copyName) : path(besideThisProgram(L"jobs_probe.dll")), module(nullptr)
{
    if (copyName) {
        std::wstring copy = inTemporaryFolder(copyName);
        if (!CopyFileW(path.c_str(), copy.c_str(), FALSE))
            return;
        path = copy;
    }
    module = LoadLibraryW(path.c_str());
    find(module, "probeStartJob", startJob);
    find(module, "probeTeardown", teardown);
    find(module, "probeCreateWindow", createWindow);
    find(module, "probeCloseAll", closeAll);
}

bool ProbeLibrary::loaded() const
{
    return module && startJob && teardown && createWindow && closeAll;
}

bool ProbeLibrary::mapped() const
{
    return GetModuleHandleW(path.c_str()) != nullptr;
}

bool ProbeLibrary::unload()
{
    return FreeLibrary(module);
}
