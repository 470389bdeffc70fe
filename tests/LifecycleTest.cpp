// pluginLoad and pluginUnload against a recording host: every registration
// in order, with the records as the host receives them.
#include "tests/RecordingHost.h"
#include "commands/DeleteAllCommand.h"
#include "commands/Lifecycle.h"
#include "commands/SendCommand.h"
#include "commands/SentFilesCommand.h"
#include "plugin/PluginInfo.h"
#include "plugin/PluginState.h"
#include "plugin/SettingsStore.h"
#include "ui/OptionsPage.h"

#include <gtest/gtest.h>

namespace {

std::wstring hex(const void* p)
{
    wchar_t text[32];
    swprintf(text, 32, L"%08lX", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(p)));
    return text;
}

std::wstring hex(HostHandler handler)
{
    return hex(reinterpret_cast<const void*>(handler));
}

// A record's size as the plug-in must fill it in; HostInterface.h pins the
// 32-bit messenger's sizes as the plug-in compiles.
template <typename Record>
std::wstring sizeOf()
{
    return L"size=" + std::to_wstring(sizeof(Record));
}

class LifecycleTest : public testing::Test {
protected:
    void SetUp() override { pluginState.moduleHandle = GetModuleHandleW(nullptr); }
    void TearDown() override
    {
        HINSTANCE module = pluginState.moduleHandle;
        pluginState = PluginState();
        pluginState.moduleHandle = module;
    }
    RecordingHost host;
    UINT_PTR module() const { return reinterpret_cast<UINT_PTR>(pluginState.moduleHandle); }
};

TEST_F(LifecycleTest, LoadRegistersEverythingInOrder)
{
    EXPECT_EQ(0, Lifecycle::load(&host.table));
    std::vector<HostCall> calls = host.calls();
    ASSERT_EQ(13u, calls.size());

    EXPECT_EQ(L"WTW/AddOptionsPage", calls[0].name);
    EXPECT_EQ(module(), calls[0].wParam);
    EXPECT_EQ(sizeOf<OptionsPageInfo>() + L" id=" + hex(pluginInfo.guid) +
                  L" group=WTW/Group/Plugz caption=FTP handler=" +
                  hex(OptionsPage::onOptionsPageEvent) + L" user=" + hex(&pluginState),
              calls[0].record);

    EXPECT_EQ(L"WTW/Settings/GetMyConfigFile", calls[1].name);
    EXPECT_EQ(sizeOf<ConfigFileRequest>() + L" capacity=261 buffer=", calls[1].record);
    EXPECT_EQ(module(), calls[1].lParam);
    EXPECT_EQ(L"WTW/Settings/Init", calls[2].name);
    EXPECT_EQ(L"C:\\profile\\Vornix.cfg", calls[2].record);
    EXPECT_EQ(module(), calls[2].lParam);

    EXPECT_EQ(L"WTW/Menu/Add", calls[3].name);
    EXPECT_EQ(sizeOf<MenuItemInfo>() +
                  L" item=Vornix/sendFile menu=WTW/Menu/Contact/Send caption=Wyślij plik na FTP... handler=" +
                  hex(SendCommand::onMenuCommand) + L" user=" + hex(&pluginState),
              calls[3].record);
    EXPECT_EQ(0u, calls[3].lParam);
    EXPECT_EQ(L"WTW/Menu/Add", calls[4].name);
    EXPECT_EQ(sizeOf<MenuItemInfo>() +
                  L" item=Vornix/delAll menu=WTW/Menu/Main/Opt caption=Usuń wszystkie pliki na serwerze FTP "
              L"handler=" + hex(DeleteAllCommand::onMenuCommand) + L" user=" + hex(&pluginState),
              calls[4].record);
    EXPECT_EQ(sizeOf<MenuItemInfo>() + L" item=Vornix/sentFiles menu=WTW/Menu/Main/Opt caption=Wysłane pliki na FTP... "
              L"handler=" + hex(SentFilesCommand::onMenuCommand) + L" user=" + hex(&pluginState),
              calls[5].record);

    EXPECT_EQ(L"hookEvent", calls[6].function);
    EXPECT_EQ(L"WTW/OnMenuRebuild", calls[6].name);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(Lifecycle::onMenuRebuild), calls[6].wParam);
    EXPECT_EQ(0u, calls[6].lParam);

    EXPECT_EQ(L"functionExists", calls[7].function);
    EXPECT_EQ(L"wtwSkarvelin/sendFile", calls[7].name);
    EXPECT_EQ(L"createFunction", calls[8].function);
    EXPECT_EQ(L"wtwSkarvelin/sendFile", calls[8].name);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(SendCommand::onCompatSendFile), calls[8].wParam);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(&pluginState), calls[8].lParam);

    // Expiry is off unless saved on: no job starts.
    EXPECT_EQ(L"WTW/Settings/Read", calls[9].name);
    EXPECT_EQ(L"WTW/Settings/Get", calls[10].name);
    // The password is read last, to protect one stored plain; none is stored here.
    EXPECT_EQ(L"WTW/Settings/Read", calls[11].name);
    EXPECT_EQ(L"WTW/Settings/Get", calls[12].name);
    EXPECT_NE(std::wstring::npos, calls[12].record.find(L"cfg/Vornix/password")) << calls[12].record;

    EXPECT_EQ(&host.table, pluginState.host);
    EXPECT_NE(nullptr, pluginState.threadManager);
    EXPECT_EQ(reinterpret_cast<HostHandle>(0xE00), pluginState.menuRebuildHook);
    EXPECT_EQ(reinterpret_cast<HostHandle>(0xF00), pluginState.compatSendFunction);
    Lifecycle::unload();
}

TEST_F(LifecycleTest, LoadProtectsAPasswordStoredPlain)
{
    host.texts[SettingKeys::password] = L"tajne";
    Lifecycle::load(&host.table);
    EXPECT_EQ(0u, host.texts[SettingKeys::password].find(L"{DPAPI}"));
    Lifecycle::unload();
}

TEST_F(LifecycleTest, UnloadRemovesEverythingInOrder)
{
    Lifecycle::load(&host.table);
    host.clearCalls();
    EXPECT_EQ(0, Lifecycle::unload());
    std::vector<HostCall> calls = host.calls();
    ASSERT_EQ(7u, calls.size());
    EXPECT_EQ(L"destroyFunction", calls[0].function);
    EXPECT_EQ(0xF00u, calls[0].wParam);
    EXPECT_EQ(L"WTW/RemoveOptionsPage", calls[1].name);
    EXPECT_EQ(module(), calls[1].wParam);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(pluginInfo.guid), calls[1].lParam);
    EXPECT_EQ(L"WTW/Settings/Destroy", calls[2].name);
    EXPECT_EQ(0x5E7u, calls[2].wParam);
    EXPECT_EQ(module(), calls[2].lParam);
    EXPECT_EQ(L"WTW/Menu/Remove", calls[3].name);
    EXPECT_EQ(sizeOf<MenuItemInfo>() +
                  L" item=Vornix/sendFile menu=WTW/Menu/Contact/Send caption=(null) handler=00000000 "
              L"user=00000000", calls[3].record);
    EXPECT_EQ(sizeOf<MenuItemInfo>() + L" item=Vornix/delAll menu=WTW/Menu/Main/Opt caption=(null) handler=00000000 "
              L"user=00000000", calls[4].record);
    EXPECT_EQ(sizeOf<MenuItemInfo>() + L" item=Vornix/sentFiles menu=WTW/Menu/Main/Opt caption=(null) "
              L"handler=00000000 user=00000000", calls[5].record);
    EXPECT_EQ(L"unhookEvent", calls[6].function);
    EXPECT_EQ(0xE00u, calls[6].wParam);
    EXPECT_EQ(nullptr, pluginState.threadManager);
}

TEST_F(LifecycleTest, ExistingSendFunctionIsNeitherCreatedNorDestroyed)
{
    host.sendFileExists = true;
    Lifecycle::load(&host.table);
    Lifecycle::unload();
    for (const std::wstring& call : host.names()) {
        EXPECT_NE(L"createFunction wtwSkarvelin/sendFile", call);
        EXPECT_NE(L"destroyFunction ", call);
    }
    EXPECT_EQ(nullptr, pluginState.compatSendFunction);
}

INT_PTR __cdecl recordAddedItem(UINT_PTR menuHandle, const wchar_t* itemId);
std::vector<std::pair<UINT_PTR, std::wstring>> addedItems;
INT_PTR __cdecl recordAddedItem(UINT_PTR menuHandle, const wchar_t* itemId)
{
    addedItems.emplace_back(menuHandle, itemId);
    return 0;
}

TEST_F(LifecycleTest, EachMenuRebuildAddsTheSendItemOnce)
{
    MenuRebuildEvent event = {};
    event.size = sizeof(event);
    event.menuHandle = 0xABC;
    event.addItem = recordAddedItem;
    addedItems.clear();
    EXPECT_EQ(0, Lifecycle::onMenuRebuild(reinterpret_cast<WPARAM>(&event), 0, nullptr));
    EXPECT_EQ(0, Lifecycle::onMenuRebuild(reinterpret_cast<WPARAM>(&event), 7, &event));
    ASSERT_EQ(2u, addedItems.size());
    EXPECT_EQ(0xABCu, addedItems[0].first);
    EXPECT_EQ(L"Vornix/sendFile", addedItems[0].second);
    EXPECT_EQ(0, Lifecycle::onMenuRebuild(0, 0, nullptr));
}

TEST_F(LifecycleTest, HandlersTolerateNullRecords)
{
    Lifecycle::load(&host.table);
    EXPECT_EQ(0, OptionsPage::onOptionsPageEvent(0, 0, &pluginState));
    EXPECT_EQ(0, SendCommand::onMenuCommand(0, 0, &pluginState));
    EXPECT_EQ(-1, SendCommand::onCompatSendFile(0, 0, &pluginState));
    MenuCommandInfo noContact = {};
    EXPECT_EQ(0, SendCommand::onMenuCommand(0, reinterpret_cast<LPARAM>(&noContact), &pluginState));
    Lifecycle::unload();
    EXPECT_EQ(0, DeleteAllCommand::onMenuCommand(0, 0, &pluginState));
}

}
