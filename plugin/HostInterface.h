// The contract between the WTW messenger (the host) and a plug-in: the host's
// table of operations, the handler shape and the plain records that cross the
// boundary. Any host or plug-in can include this header; it needs only <windows.h>.
// Every record begins with its own size and is laid out for the 32-bit host.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// A function the plug-in hands the host: a created function, a menu item's
// action, an options page's handler or an event hook.
typedef INT_PTR(__cdecl* HostHandler)(WPARAM wParam, LPARAM lParam, void* userData);

typedef void* HostHandle;  // a created function or an event hook; 0 means none

struct HostFunctionTable {
    HostHandle(__cdecl* createFunction)(const wchar_t* name, HostHandler handler, void* userData);
    INT_PTR(__cdecl* destroyFunction)(HostHandle function);
    INT_PTR(__cdecl* callFunction)(const wchar_t* name, WPARAM wParam, LPARAM lParam);
    INT_PTR(__cdecl* functionExists)(const wchar_t* name);
    void* unused[4];
    HostHandle(__cdecl* hookEvent)(const wchar_t* eventName, HostHandler handler, void* userData);
    INT_PTR(__cdecl* unhookEvent)(HostHandle hook);
};

// "WTW/Log"
struct LogRecord {
    DWORD size;  // 24
    DWORD level;
    const wchar_t* source;
    const wchar_t* message;
    DWORD reserved[2];
};

// "WTW/Menu/Add", "WTW/Menu/Remove"
struct MenuItemInfo {
    DWORD size;  // 52
    const wchar_t* itemId;
    const wchar_t* menuId;
    const wchar_t* caption;
    DWORD reserved16[4];
    HostHandler handler;
    void* userData;
    DWORD reserved40[3];
};

// "WTW/OnMenuRebuild" passes this as wParam; the plug-in adds its items by
// calling addItem(menuHandle, itemId).
typedef INT_PTR(__cdecl* MenuAddItemFunction)(UINT_PTR menuHandle, const wchar_t* itemId);
struct MenuRebuildEvent {
    DWORD size;
    const wchar_t* menuId;  // which menu is about to open
    UINT_PTR menuHandle;
    DWORD reserved12;
    MenuAddItemFunction addItem;
};

// "WTW/AddOptionsPage"
struct OptionsPageInfo {
    DWORD size;  // 40
    const wchar_t* id;
    const wchar_t* group;
    const wchar_t* caption;
    DWORD reserved16[3];
    HostHandler handler;
    void* userData;
    DWORD reserved36;
};

// The options page's handler receives this as wParam.
enum OptionsPageAction {
    OptionsPageShow = 1,
    OptionsPageHide = 2,
    OptionsPageSave = 3,      // OK or Apply: save, then drop the windows
    OptionsPageRefresh = 4,
    OptionsPageCancel = 5,    // drop the windows without saving
    OptionsPageClose = 6,
};
struct OptionsPageEvent {
    DWORD size;
    const wchar_t* pageId;
    DWORD action;
    HWND parent;
    DWORD reserved16;
    INT32 x;
    INT32 y;
    INT32 width;
    INT32 height;
    DWORD reserved36[2];
    wchar_t caption[256];
    wchar_t description[512];
};

// "WTW/Settings/GetMyConfigFile"
struct ConfigFileRequest {
    DWORD size;  // 16
    wchar_t* buffer;
    DWORD capacity;  // in characters
    DWORD reserved;
};

// "WTW/Settings/Get", "WTW/Settings/Set"
enum SettingType { SettingInteger = 1, SettingText = 3 };
struct SettingValue {
    DWORD size;  // 24
    const wchar_t* key;
    DWORD type;
    union {
        INT32 integer;
        wchar_t* text;  // Set: the text; Get: the buffer that receives it
    } value;
    DWORD length;  // text: length on Set, capacity on Get, in characters
    HostHandle settings;
};

// The host's record of a contact.
struct ContactRecord {
    DWORD size;  // 32
    DWORD reserved4;
    UINT_PTR id;  // the contact's id (a wide string in the host); passed through
    const wchar_t* netClass;
    INT32 netId;
    DWORD reserved20[3];
};

// "WTW/PFShowMessage" and a network's "CLASS/ID/PFMessageSend"
struct ChatMessage {
    DWORD size;  // 72
    ContactRecord contact;
    DWORD reserved36;
    const wchar_t* text;
    DWORD flags;  // 6
    DWORD reserved48[6];
};

// "wtwSkarvelin/sendFile" takes this as wParam.
struct SendFileRequest {
    const wchar_t* path;  // may be null: the user picks a file
    UINT_PTR contactId;
    const wchar_t* netClass;
    INT32 netId;
};

// The contact-menu command's lParam: the contact whose menu was opened.
struct MenuCommandInfo {
    DWORD reserved[6];
    ContactRecord* contact;  // at offset 24
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(HostFunctionTable) == 40 && offsetof(HostFunctionTable, hookEvent) == 32, "table");
static_assert(sizeof(LogRecord) == 24 && offsetof(LogRecord, message) == 12, "LogRecord");
static_assert(sizeof(MenuItemInfo) == 52 && offsetof(MenuItemInfo, handler) == 32 &&
                  offsetof(MenuItemInfo, userData) == 36, "MenuItemInfo");
static_assert(offsetof(MenuRebuildEvent, menuHandle) == 8 && offsetof(MenuRebuildEvent, addItem) == 16,
              "MenuRebuildEvent");
static_assert(sizeof(OptionsPageInfo) == 40 && offsetof(OptionsPageInfo, handler) == 28 &&
                  offsetof(OptionsPageInfo, userData) == 32, "OptionsPageInfo");
static_assert(offsetof(OptionsPageEvent, action) == 8 && offsetof(OptionsPageEvent, parent) == 12 &&
                  offsetof(OptionsPageEvent, x) == 20 && offsetof(OptionsPageEvent, y) == 24 &&
                  offsetof(OptionsPageEvent, width) == 28 && offsetof(OptionsPageEvent, caption) == 44 &&
                  offsetof(OptionsPageEvent, description) == 556, "OptionsPageEvent");
static_assert(sizeof(ConfigFileRequest) == 16 && offsetof(ConfigFileRequest, capacity) == 8, "ConfigFileRequest");
static_assert(sizeof(SettingValue) == 24 && offsetof(SettingValue, type) == 8 &&
                  offsetof(SettingValue, value) == 12 && offsetof(SettingValue, length) == 16 &&
                  offsetof(SettingValue, settings) == 20, "SettingValue");
static_assert(sizeof(ContactRecord) == 32 && offsetof(ContactRecord, id) == 8 &&
                  offsetof(ContactRecord, netClass) == 12 && offsetof(ContactRecord, netId) == 16, "ContactRecord");
static_assert(sizeof(ChatMessage) == 72 && offsetof(ChatMessage, contact) == 4 &&
                  offsetof(ChatMessage, text) == 40 && offsetof(ChatMessage, flags) == 44, "ChatMessage");
static_assert(sizeof(SendFileRequest) == 16 && offsetof(SendFileRequest, netId) == 12, "SendFileRequest");
static_assert(offsetof(MenuCommandInfo, contact) == 24, "MenuCommandInfo");
#endif
