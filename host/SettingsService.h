// "WTW/Settings/...": each plug-in's configuration kept in a file of the profile.
// Handles are numbers, not pointers, so a stale or invented handle is refused
// rather than followed. One lock serialises every operation: job threads read
// while the options page writes.
#pragma once

#include "host/SettingsFile.h"

#include "plugin/HostInterface.h"

#include <map>
#include <memory>
#include <string>

class FunctionRegistry;

class SettingsService {
public:
    SettingsService(FunctionRegistry& registry, const std::wstring& profileDir);
    ~SettingsService();
    SettingsService(const SettingsService&) = delete;
    SettingsService& operator=(const SettingsService&) = delete;

private:
    // wParam ConfigFileRequest*, lParam the plug-in's module: PROFILE\<module name>.cfg.
    INT_PTR configFile(WPARAM wParam, LPARAM lParam);
    // wParam the path; the result is the handle, 0 for no path.
    INT_PTR init(WPARAM wParam, LPARAM lParam);
    INT_PTR destroy(WPARAM wParam, LPARAM lParam);
    INT_PTR read(WPARAM wParam, LPARAM lParam);
    INT_PTR write(WPARAM wParam, LPARAM lParam);
    // wParam SettingValue*: 1 when the key holds a value of the asked type, else 0.
    INT_PTR get(WPARAM wParam, LPARAM lParam);
    INT_PTR set(WPARAM wParam, LPARAM lParam);

    INT_PTR getLocked(SettingValue* value);
    INT_PTR setLocked(SettingValue* value);
    SettingsFile* fileOf(UINT_PTR handle);
    SettingValue* valueOf(WPARAM wParam);

    std::wstring profileDir;
    CRITICAL_SECTION lock;
    std::map<UINT_PTR, std::unique_ptr<SettingsFile>> files;
    UINT_PTR nextHandle;
};
