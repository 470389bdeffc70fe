// The test's side of the probe library (jobs_probe.dll): loading it from beside
// the test program, under its own name or a copy's, and its four exports.
#pragma once

#include "plugin/HostInterface.h"

#include <string>

class ProbeLibrary {
public:
    // Loads jobs_probe.dll, or a copy of it under copyName in the temporary folder.
    explicit ProbeLibrary(const wchar_t* copyName = nullptr);
    ProbeLibrary(const ProbeLibrary&) = delete;
    ProbeLibrary& operator=(const ProbeLibrary&) = delete;

    bool loaded() const;
    bool mapped() const;  // whether the library is still in the process
    bool unload();        // FreeLibrary of the test's own reference

    void (*startJob)(HostFunctionTable* host, HANDLE finish, HANDLE freed);
    void (*teardown)();
    HWND (*createWindow)(HWND owner);
    void (*closeAll)();

private:
    std::wstring path;
    HMODULE module;
};
