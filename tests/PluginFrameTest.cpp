#include "plugin/PluginState.h"

#include <gtest/gtest.h>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);

TEST(DllMain, RecordsTheModuleHandleForEveryReason)
{
    const DWORD reasons[] = {DLL_PROCESS_ATTACH, DLL_THREAD_ATTACH, DLL_THREAD_DETACH, DLL_PROCESS_DETACH, 77};
    UINT_PTR fake = 0x10000000;
    for (DWORD reason : reasons) {
        fake += 0x10000;
        pluginState.moduleHandle = nullptr;
        EXPECT_EQ(TRUE, DllMain(reinterpret_cast<HINSTANCE>(fake), reason, nullptr));
        EXPECT_EQ(reinterpret_cast<HINSTANCE>(fake), pluginState.moduleHandle) << "reason " << reason;
    }
}
