#include "plugin/PluginInfo.h"

#include "Version.h"

const PluginInfo pluginInfo = {
    sizeof(PluginInfo),
    L"Vornix",
    L"Wysyłanie plików na FTP",
    L"Copyright (c) 2026 the Vornix developers",
    L"The Vornix developers",
    L"vornix@example.org",
    L"https://example.org/vornix",
    L"",
    1200,
    (VORNIX_VERSION_MAJOR << 16) | (VORNIX_VERSION_MINOR << 8) | VORNIX_VERSION_PATCH,
    0x10000,
    0x10000,
    4,
    0,
    L"{2680C2AE-99D9-4DF8-8ACA-8EF154017308}",
    {0, 0, 0, 0, 0},
};
