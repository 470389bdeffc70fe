// The settings store over a recording host's settings service.
#include "tests/RecordingHost.h"
#include "plugin/PluginState.h"
#include "plugin/SettingsStore.h"

#include <gtest/gtest.h>

namespace {

class SettingsStoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        pluginState.host = &host.table;
        pluginState.moduleHandle = GetModuleHandleW(nullptr);
        SettingsStore::openSettings();
        host.clearCalls();
    }
    void TearDown() override
    {
        SettingsStore::closeSettings();
        pluginState.host = nullptr;
    }
    RecordingHost host;
};

TEST_F(SettingsStoreTest, NothingStoredReadsAsDefaults)
{
    EXPECT_EQ(L"", SettingsStore::readString(SettingKeys::ftpHost));
    EXPECT_EQ("", SettingsStore::readNarrowString(SettingKeys::dir));
    SettingRead linksOnlyShown = SettingsStore::readInt(SettingKeys::linksOnlyShown);
    EXPECT_FALSE(linksOnlyShown.found);
    EXPECT_EQ(0, linksOnlyShown.value);
    // Every read asks the service to reload first.
    std::vector<std::wstring> expected = {L"callFunction WTW/Settings/Read", L"callFunction WTW/Settings/Get",
                                          L"callFunction WTW/Settings/Read", L"callFunction WTW/Settings/Get",
                                          L"callFunction WTW/Settings/Read", L"callFunction WTW/Settings/Get"};
    EXPECT_EQ(expected, host.names());
    EXPECT_EQ(L"size=" + std::to_wstring(sizeof(SettingValue)) +
                  L" key=cfg/Vornix/sendLink type=1 handle=000005E7 int=0 length=0",
              host.calls()[5].record);
}

TEST_F(SettingsStoreTest, WritesReadBackAndEachWriteSavesTheFile)
{
    SettingsStore::writeInt(SettingKeys::autoClose, 0);
    SettingsStore::writeString(SettingKeys::httpHost, L"");
    std::wstring long4095(4095, L'ż');
    SettingsStore::writeString(SettingKeys::password, long4095);

    std::vector<std::wstring> expected = {L"callFunction WTW/Settings/Set", L"callFunction WTW/Settings/Write",
                                          L"callFunction WTW/Settings/Set", L"callFunction WTW/Settings/Write",
                                          L"callFunction WTW/Settings/Set", L"callFunction WTW/Settings/Write"};
    EXPECT_EQ(expected, host.names());
    EXPECT_EQ(L"size=" + std::to_wstring(sizeof(SettingValue)) +
                  L" key=cfg/Vornix/autoClose type=1 handle=000005E7 int=0 length=0",
              host.calls()[0].record);

    SettingRead autoClose = SettingsStore::readInt(SettingKeys::autoClose);
    EXPECT_TRUE(autoClose.found);
    EXPECT_EQ(0, autoClose.value);
    ASSERT_TRUE(host.texts.count(SettingKeys::httpHost));
    EXPECT_EQ(L"", host.texts[SettingKeys::httpHost]);
    EXPECT_EQ(long4095, SettingsStore::readString(SettingKeys::password));
}

TEST_F(SettingsStoreTest, FlagIsSetUnlessStoredAsZero)
{
    EXPECT_TRUE(SettingsStore::readFlag(SettingKeys::autoClose));
    SettingsStore::writeInt(SettingKeys::autoClose, 0);
    EXPECT_FALSE(SettingsStore::readFlag(SettingKeys::autoClose));
    SettingsStore::writeInt(SettingKeys::autoClose, 1);
    EXPECT_TRUE(SettingsStore::readFlag(SettingKeys::autoClose));
    SettingsStore::writeInt(SettingKeys::autoClose, 2);
    EXPECT_TRUE(SettingsStore::readFlag(SettingKeys::autoClose));

    SettingsStore::writeInt(SettingKeys::autoClose, 0);
    SettingsStore::closeSettings();
    EXPECT_TRUE(SettingsStore::readFlag(SettingKeys::autoClose));
}

TEST_F(SettingsStoreTest, NarrowTextIsInTheAnsiCodePageAndCutWhole)
{
    ASSERT_EQ(1250u, GetACP());
    SettingsStore::writeString(SettingKeys::dir, L"katalog/łódź");
    EXPECT_EQ("katalog/\xB3\xF3\x64\x9F", SettingsStore::readNarrowString(SettingKeys::dir));

    SettingsStore::writeString(SettingKeys::username, std::wstring(300, L'ą'));
    std::string cut = SettingsStore::readNarrowString(SettingKeys::username);
    EXPECT_EQ(std::string(255, '\xB9'), cut);
}

TEST_F(SettingsStoreTest, ClosedStoreNeverCallsTheHost)
{
    SettingsStore::closeSettings();
    host.clearCalls();
    EXPECT_EQ(L"", SettingsStore::readString(SettingKeys::ftpHost));
    EXPECT_EQ("", SettingsStore::readNarrowString(SettingKeys::ftpHost));
    EXPECT_FALSE(SettingsStore::readInt(SettingKeys::linksOnlyShown).found);
    SettingsStore::writeString(SettingKeys::ftpHost, L"x");
    SettingsStore::writeInt(SettingKeys::linksOnlyShown, 0);
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(SettingsStoreTest, NullHandleFromTheHostMeansClosed)
{
    SettingsStore::closeSettings();
    host.settingsHandle = nullptr;
    SettingsStore::openSettings();
    host.clearCalls();
    SettingsStore::writeInt(SettingKeys::linksOnlyShown, 0);
    EXPECT_FALSE(SettingsStore::readInt(SettingKeys::linksOnlyShown).found);
    EXPECT_TRUE(host.calls().empty());
}

}
