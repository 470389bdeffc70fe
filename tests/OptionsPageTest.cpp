// The options page driven by host events, over a recording settings service.
#include "tests/RecordingHost.h"
#include "plugin/PluginState.h"
#include "plugin/SettingsStore.h"
#include "plugin/StoredPassword.h"
#include "remote/FtpSettings.h"
#include "ui/OptionsPage.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <iterator>

namespace {

class OptionsPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        pluginState.host = &host.table;
        pluginState.moduleHandle = GetModuleHandleW(nullptr);
        SettingsStore::openSettings();
        parent = CreateWindowExW(0, L"STATIC", L"options", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                 nullptr, nullptr);
        host.clearCalls();
    }
    void TearDown() override
    {
        OptionsPage::destroyControls(pluginState.optionsControls);
        pluginState.optionsControls = nullptr;
        DestroyWindow(parent);
        SettingsStore::closeSettings();
        pluginState.host = nullptr;
    }

    OptionsPageEvent event(DWORD action)
    {
        OptionsPageEvent e = {};
        e.size = sizeof(e);
        e.action = action;
        e.parent = parent;
        e.x = 10;
        e.y = 20;
        e.width = 400;
        return e;
    }

    INT_PTR send(DWORD action)
    {
        OptionsPageEvent e = event(action);
        return OptionsPage::onOptionsPageEvent(reinterpret_cast<WPARAM>(&e), 0, &pluginState);
    }

    int childCount()
    {
        int count = 0;
        for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            ++count;
        return count;
    }

    std::vector<std::wstring> setCalls()
    {
        std::vector<std::wstring> out;
        for (const HostCall& call : host.calls())
            if (call.name == L"WTW/Settings/Set" || call.name == L"WTW/Settings/Write")
                out.push_back(call.name == L"WTW/Settings/Write" ? L"write" : call.record);
        return out;
    }

    RecordingHost host;
    HWND parent = nullptr;
};

TEST_F(OptionsPageTest, FirstEventSaveWritesTheStoredValuesBackInOrder)
{
    host.texts[SettingKeys::ftpHost] = L"ftp.example.org";
    host.texts[SettingKeys::password] = L"tajne";
    host.integers[SettingKeys::linksOnlyShown] = 0;
    host.integers[SettingKeys::tls] = 2;
    host.integers[SettingKeys::protocol] = 1;
    host.texts[SettingKeys::keyFile] = L"C:\\klucze\\id_ed25519";
    host.integers[SettingKeys::expireDays] = 10000;  // out of range, edited by hand: never, as it acts
    EXPECT_EQ(0, send(OptionsPageSave));
    EXPECT_EQ(nullptr, pluginState.optionsControls);
    EXPECT_EQ(0, childCount());

    std::vector<std::wstring> calls = setCalls();
    const wchar_t* keys[] = {L"ftpHost", L"username", L"password", L"dir", L"httpHost", L"keyFile", L"sendLink",
                             L"autoClose", L"copyLink", L"tls", L"protocol", L"expireDays"};
    ASSERT_EQ(2 * std::size(keys), calls.size());
    for (size_t i = 0; i < std::size(keys); ++i) {
        EXPECT_NE(std::wstring::npos, calls[2 * i].find(std::wstring(L"key=cfg/Vornix/") + keys[i])) << calls[2 * i];
        EXPECT_EQ(L"write", calls[2 * i + 1]);
    }
    EXPECT_EQ(L"ftp.example.org", host.texts[SettingKeys::ftpHost]);
    // An earlier version's plain password comes back protected.
    EXPECT_EQ(0u, host.texts[SettingKeys::password].find(L"{DPAPI}"));
    std::wstring password;
    EXPECT_TRUE(StoredPassword::unprotect(host.texts[SettingKeys::password], password));
    EXPECT_EQ(L"tajne", password);
    EXPECT_FALSE(StoredPassword::unprotect(L"{DPAPI}AQAAANCMnd8BFdERjHoAwE", password));
    EXPECT_EQ(L"", host.texts[SettingKeys::dir]);
    EXPECT_EQ(0, host.integers[SettingKeys::linksOnlyShown]);
    EXPECT_EQ(1, host.integers[SettingKeys::autoClose]);
    // Off unless the user ticks it.
    EXPECT_EQ(0, host.integers[SettingKeys::copyLink]);
    EXPECT_EQ(2, host.integers[SettingKeys::tls]);
    EXPECT_EQ(1, host.integers[SettingKeys::protocol]);
    EXPECT_EQ(L"C:\\klucze\\id_ed25519", host.texts[SettingKeys::keyFile]);
    EXPECT_EQ(0, host.integers[SettingKeys::expireDays]);

    // A choice this version does not know fails closed: TLS required.
    host.integers[SettingKeys::tls] = 7;
    EXPECT_EQ(TlsMode::Required, FtpSettings::readTlsMode());
}

TEST_F(OptionsPageTest, CancelAndUnknownCodesWriteNothing)
{
    EXPECT_EQ(0, send(OptionsPageCancel));
    EXPECT_EQ(nullptr, pluginState.optionsControls);
    EXPECT_EQ(0, childCount());
    for (DWORD action : {4u, 6u, 0u, 99u}) {
        send(action);
        ASSERT_NE(nullptr, pluginState.optionsControls) << action;
        EXPECT_EQ(23, childCount());
    }
    EXPECT_TRUE(setCalls().empty());
}

TEST_F(OptionsPageTest, WindowsAreMadeFilledShownAndHidden)
{
    host.texts[SettingKeys::httpHost] = L"http://example.org/pliki";
    host.integers[SettingKeys::autoClose] = 0;
    host.integers[SettingKeys::copyLink] = 1;
    OptionsPageEvent e = event(OptionsPageShow);
    // The host's buffers beyond each text and its terminator stay as they were.
    std::wmemset(e.caption, L'#', 256);
    std::wmemset(e.description, L'#', 512);
    OptionsPage::onOptionsPageEvent(reinterpret_cast<WPARAM>(&e), 0, &pluginState);
    EXPECT_EQ(std::wstring(L"FTP"), e.caption);
    const std::wstring description = L"Wysyłanie plików na serwer FTP, wstawianie linków do nich";
    EXPECT_EQ(description, e.description);
    EXPECT_EQ(std::wstring(252, L'#'), std::wstring(e.caption + 4, 252));
    EXPECT_EQ(std::wstring(511 - description.size(), L'#'),
              std::wstring(e.description + description.size() + 1, 511 - description.size()));

    OptionsPageControls* controls = pluginState.optionsControls;
    ASSERT_NE(nullptr, controls);
    HWND link = controls->windows[OptionsPageControls::HttpHostEdit];
    wchar_t text[300];
    GetWindowTextW(link, text, 300);
    EXPECT_EQ(std::wstring(L"http://example.org/pliki"), text);
    RECT box;
    GetWindowRect(link, &box);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(70, box.left);
    EXPECT_EQ(236, box.top);
    EXPECT_EQ(260, box.right - box.left);
    EXPECT_TRUE(GetWindowLongW(controls->windows[OptionsPageControls::PasswordEdit], GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(BST_CHECKED, SendMessageW(controls->windows[OptionsPageControls::LinksOnlyShownCheck], BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_UNCHECKED, SendMessageW(controls->windows[OptionsPageControls::AutoCloseCheck], BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_CHECKED, SendMessageW(controls->windows[OptionsPageControls::CopyLinkCheck], BM_GETCHECK, 0, 0));
    // Never saved: TLS when the server offers it, the first of three choices.
    HWND tls = controls->windows[OptionsPageControls::TlsList];
    EXPECT_EQ(3, SendMessageW(tls, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(tls, CB_GETCURSEL, 0, 0));
    // Never saved: FTP, as every profile from before SFTP.
    HWND protocol = controls->windows[OptionsPageControls::ProtocolList];
    EXPECT_EQ(2, SendMessageW(protocol, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(protocol, CB_GETCURSEL, 0, 0));

    send(OptionsPageHide);
    EXPECT_FALSE(IsWindowVisible(link));
    send(OptionsPageShow);
    EXPECT_EQ(controls, pluginState.optionsControls);
    EXPECT_TRUE(GetWindowLongW(link, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(OptionsPageTest, LongTextIsSavedCutTo255)
{
    send(OptionsPageShow);
    std::wstring typed(300, L'x');
    SetWindowTextW(pluginState.optionsControls->windows[OptionsPageControls::DirEdit], typed.c_str());
    SendMessageW(pluginState.optionsControls->windows[OptionsPageControls::TlsList], CB_SETCURSEL, 1, 0);
    send(OptionsPageSave);
    EXPECT_EQ(std::wstring(255, L'x'), host.texts[SettingKeys::dir]);
    EXPECT_EQ(1, host.integers[SettingKeys::tls]);
}

TEST_F(OptionsPageTest, ClosedStoreStartsEmptyAndTickedAndSavesNothing)
{
    host.texts[SettingKeys::ftpHost] = L"ftp.example.org";
    SettingsStore::closeSettings();
    host.clearCalls();
    send(OptionsPageShow);
    OptionsPageControls* controls = pluginState.optionsControls;
    EXPECT_EQ(0, GetWindowTextLengthW(controls->windows[OptionsPageControls::FtpHostEdit]));
    EXPECT_EQ(BST_CHECKED, SendMessageW(controls->windows[OptionsPageControls::AutoCloseCheck], BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_UNCHECKED, SendMessageW(controls->windows[OptionsPageControls::CopyLinkCheck], BM_GETCHECK, 0, 0));
    send(OptionsPageSave);
    EXPECT_TRUE(host.calls().empty());
}

}
