// The constant record that tells the host who the plug-in is.
#pragma once

#include <windows.h>

#include <cstddef>

struct PluginInfo {
    DWORD size;  // 80
    const wchar_t* name;
    const wchar_t* description;
    const wchar_t* copyright;
    const wchar_t* author;
    const wchar_t* authorContact;
    const wchar_t* website;
    const wchar_t* emptyText;
    // The host gives these words their meaning; the values are the ones it expects.
    DWORD textCodePage;  // 1200: UTF-16
    DWORD pluginVersion;
    DWORD minimumCoreVersion;
    DWORD apiVersion;
    DWORD pluginFlags;
    DWORD reserved52;
    const wchar_t* guid;  // also the options page's id
    DWORD reserved60[5];
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(PluginInfo) == 80, "PluginInfo is 80 bytes");
static_assert(offsetof(PluginInfo, textCodePage) == 32 && offsetof(PluginInfo, reserved52) == 52 &&
                  offsetof(PluginInfo, guid) == 56 && offsetof(PluginInfo, reserved60) == 60,
              "PluginInfo layout");
#endif

extern const PluginInfo pluginInfo;
