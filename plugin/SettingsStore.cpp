#include "plugin/SettingsStore.h"

#include "plugin/HostInterface.h"
#include "plugin/PluginState.h"
#include "plugin/TextConversion.h"

#include <vector>

namespace {

const size_t configPathCapacity = MAX_PATH + 1;  // characters, with the terminator

HostHandle settingsHandle = nullptr;
std::wstring configPath;  // guarded by handleLock
SRWLOCK handleLock = SRWLOCK_INIT;

INT_PTR callHost(const wchar_t* name, WPARAM wParam, LPARAM lParam)
{
    return pluginState.host->callFunction(name, wParam, lParam);
}

// Holds the handle for the length of one read or write; closing waits for it.
class SharedHandle {
public:
    SharedHandle() { AcquireSRWLockShared(&handleLock); }
    ~SharedHandle() { ReleaseSRWLockShared(&handleLock); }
    SharedHandle(const SharedHandle&) = delete;
    SharedHandle& operator=(const SharedHandle&) = delete;
    HostHandle get() const { return pluginState.host ? settingsHandle : nullptr; }
};

SettingValue recordFor(HostHandle handle, const wchar_t* key, SettingType type)
{
    SettingValue request = {};
    request.size = sizeof(request);
    request.key = key;
    request.type = type;
    request.settings = handle;
    return request;
}

// Every write saves the configuration file at once.
void store(HostHandle handle, const SettingValue& request)
{
    callHost(L"WTW/Settings/Set", reinterpret_cast<WPARAM>(&request), 0);
    callHost(L"WTW/Settings/Write", reinterpret_cast<WPARAM>(handle), 0);
}

// Read into `buffer`; false when the host has no such value.
bool getText(HostHandle handle, const wchar_t* key, std::vector<wchar_t>& buffer)
{
    callHost(L"WTW/Settings/Read", reinterpret_cast<WPARAM>(handle), 0);
    SettingValue request = recordFor(handle, key, SettingText);
    request.value.text = buffer.data();
    request.length = static_cast<DWORD>(buffer.size());
    bool found = callHost(L"WTW/Settings/Get", reinterpret_cast<WPARAM>(&request), 0) != 0;
    buffer.back() = L'\0';
    return found;
}

}

void SettingsStore::openSettings()
{
    AcquireSRWLockExclusive(&handleLock);
    if (!settingsHandle && pluginState.host) {
        // The host's answer is not examined, so the path starts empty rather than unfilled.
        std::vector<wchar_t> path(configPathCapacity, L'\0');
        ConfigFileRequest request = {sizeof(request), path.data(), static_cast<DWORD>(path.size()), 0};
        LPARAM module = reinterpret_cast<LPARAM>(pluginState.moduleHandle);
        callHost(L"WTW/Settings/GetMyConfigFile", reinterpret_cast<WPARAM>(&request), module);
        path.back() = L'\0';
        configPath = path.data();
        settingsHandle = reinterpret_cast<HostHandle>(
            callHost(L"WTW/Settings/Init", reinterpret_cast<WPARAM>(path.data()), module));
    }
    ReleaseSRWLockExclusive(&handleLock);
}

void SettingsStore::closeSettings()
{
    AcquireSRWLockExclusive(&handleLock);
    if (settingsHandle) {
        if (pluginState.host)
            callHost(L"WTW/Settings/Destroy", reinterpret_cast<WPARAM>(settingsHandle),
                     reinterpret_cast<LPARAM>(pluginState.moduleHandle));
        settingsHandle = nullptr;
    }
    ReleaseSRWLockExclusive(&handleLock);
}

std::wstring SettingsStore::configFilePath()
{
    SharedHandle handle;
    return configPath;
}

std::wstring SettingsStore::readString(const wchar_t* key)
{
    SharedHandle handle;
    if (!handle.get())
        return std::wstring();
    std::vector<wchar_t> buffer(textCapacity, L'\0');
    if (!getText(handle.get(), key, buffer))
        return std::wstring();
    return std::wstring(buffer.data());
}

std::string SettingsStore::readNarrowString(const wchar_t* key)
{
    return TextConversion::toAnsiCut(readString(key), narrowCapacity - 1);
}

SettingRead SettingsStore::readInt(const wchar_t* key)
{
    SharedHandle handle;
    if (!handle.get())
        return {false, 0};
    callHost(L"WTW/Settings/Read", reinterpret_cast<WPARAM>(handle.get()), 0);
    SettingValue request = recordFor(handle.get(), key, SettingInteger);
    bool found = callHost(L"WTW/Settings/Get", reinterpret_cast<WPARAM>(&request), 0) != 0;
    return {found, found ? request.value.integer : 0};
}

bool SettingsStore::readFlag(const wchar_t* key)
{
    SettingRead setting = readInt(key);
    return !setting.found || setting.value != 0;
}

bool SettingsStore::readOptIn(const wchar_t* key)
{
    return readInt(key).value != 0;
}

void SettingsStore::writeString(const wchar_t* key, const std::wstring& text)
{
    SharedHandle handle;
    if (!handle.get())
        return;
    SettingValue request = recordFor(handle.get(), key, SettingText);
    request.value.text = const_cast<wchar_t*>(text.c_str());
    request.length = static_cast<DWORD>(text.size());
    store(handle.get(), request);
}

void SettingsStore::writeInt(const wchar_t* key, int32_t value)
{
    SharedHandle handle;
    if (!handle.get())
        return;
    SettingValue request = recordFor(handle.get(), key, SettingInteger);
    request.value.integer = value;
    store(handle.get(), request);
}
