#include "host/SettingsService.h"

#include "host/FunctionRegistry.h"
#include "host/ServiceThunk.h"

#include <cwchar>

SettingsService::SettingsService(FunctionRegistry& registry, const std::wstring& profileDir)
    : profileDir(profileDir), nextHandle(0x20001)
{
    InitializeCriticalSection(&lock);
    registry.createFunction(L"WTW/Settings/GetMyConfigFile", serviceThunk<SettingsService, &SettingsService::configFile>, this);
    registry.createFunction(L"WTW/Settings/Init", serviceThunk<SettingsService, &SettingsService::init>, this);
    registry.createFunction(L"WTW/Settings/Destroy", serviceThunk<SettingsService, &SettingsService::destroy>, this);
    registry.createFunction(L"WTW/Settings/Read", serviceThunk<SettingsService, &SettingsService::read>, this);
    registry.createFunction(L"WTW/Settings/Write", serviceThunk<SettingsService, &SettingsService::write>, this);
    registry.createFunction(L"WTW/Settings/Get", serviceThunk<SettingsService, &SettingsService::get>, this);
    registry.createFunction(L"WTW/Settings/Set", serviceThunk<SettingsService, &SettingsService::set>, this);
}

SettingsService::~SettingsService()
{
    DeleteCriticalSection(&lock);
}

INT_PTR SettingsService::configFile(WPARAM wParam, LPARAM lParam)
{
    auto request = reinterpret_cast<ConfigFileRequest*>(wParam);
    if (!request || request->size < sizeof(ConfigFileRequest) || !request->buffer || request->capacity == 0)
        return 0;
    request->buffer[0] = L'\0';
    wchar_t module[MAX_PATH];
    DWORD length = lParam ? GetModuleFileNameW(reinterpret_cast<HMODULE>(lParam), module, MAX_PATH) : 0;
    if (length == 0 || length == MAX_PATH)
        return 0;
    std::wstring name(module, length);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    std::wstring path = profileDir + L"\\" + name.substr(0, name.find_last_of(L'.')) + L".cfg";
    if (path.size() >= request->capacity)
        return 0;
    wcscpy(request->buffer, path.c_str());
    return 1;
}

INT_PTR SettingsService::init(WPARAM wParam, LPARAM)
{
    auto path = reinterpret_cast<const wchar_t*>(wParam);
    if (!path || !*path)
        return 0;
    auto file = std::make_unique<SettingsFile>(path);
    EnterCriticalSection(&lock);
    file->load();
    UINT_PTR handle = nextHandle++;
    files[handle] = std::move(file);
    LeaveCriticalSection(&lock);
    return INT_PTR(handle);
}

INT_PTR SettingsService::destroy(WPARAM wParam, LPARAM)
{
    EnterCriticalSection(&lock);
    INT_PTR erased = INT_PTR(files.erase(wParam));
    LeaveCriticalSection(&lock);
    return erased;
}

INT_PTR SettingsService::read(WPARAM wParam, LPARAM)
{
    EnterCriticalSection(&lock);
    SettingsFile* file = fileOf(wParam);
    bool ok = file && file->load();
    LeaveCriticalSection(&lock);
    return ok ? 1 : 0;
}

INT_PTR SettingsService::write(WPARAM wParam, LPARAM)
{
    EnterCriticalSection(&lock);
    SettingsFile* file = fileOf(wParam);
    bool ok = file && file->save();
    LeaveCriticalSection(&lock);
    return ok ? 1 : 0;
}

INT_PTR SettingsService::get(WPARAM wParam, LPARAM)
{
    SettingValue* value = valueOf(wParam);
    if (!value)
        return 0;
    EnterCriticalSection(&lock);
    INT_PTR found = getLocked(value);
    LeaveCriticalSection(&lock);
    return found;
}

INT_PTR SettingsService::set(WPARAM wParam, LPARAM)
{
    SettingValue* value = valueOf(wParam);
    if (!value)
        return 0;
    EnterCriticalSection(&lock);
    INT_PTR stored = setLocked(value);
    LeaveCriticalSection(&lock);
    return stored;
}

INT_PTR SettingsService::getLocked(SettingValue* value)
{
    SettingsFile* file = fileOf(reinterpret_cast<UINT_PTR>(value->settings));
    const SettingsFile::Value* stored = file ? file->find(value->key) : nullptr;
    if (!stored || stored->isText != (value->type == SettingText))
        return 0;
    if (!stored->isText) {
        value->value.integer = stored->integer;
        return 1;
    }
    if (!value->value.text || value->length == 0)
        return 0;
    size_t count = stored->text.size() < value->length ? stored->text.size() : value->length - 1;
    wmemcpy(value->value.text, stored->text.data(), count);
    value->value.text[count] = L'\0';
    return 1;
}

INT_PTR SettingsService::setLocked(SettingValue* value)
{
    SettingsFile* file = fileOf(reinterpret_cast<UINT_PTR>(value->settings));
    if (!file)
        return 0;
    if (value->type == SettingInteger) {
        file->set(value->key, SettingsFile::Value{false, value->value.integer, std::wstring()});
        return 1;
    }
    if (!value->value.text && value->length > 0)
        return 0;
    std::wstring text = value->value.text ? std::wstring(value->value.text, wcsnlen(value->value.text, value->length)) : L"";
    file->set(value->key, SettingsFile::Value{true, 0, text});
    return 1;
}

SettingsFile* SettingsService::fileOf(UINT_PTR handle)
{
    auto item = files.find(handle);
    return item == files.end() ? nullptr : item->second.get();
}

// A record too small, without key or of an unknown type is refused whole.
SettingValue* SettingsService::valueOf(WPARAM wParam)
{
    auto value = reinterpret_cast<SettingValue*>(wParam);
    if (!value || value->size < sizeof(SettingValue) || !value->key ||
        (value->type != SettingInteger && value->type != SettingText))
        return nullptr;
    return value;
}
