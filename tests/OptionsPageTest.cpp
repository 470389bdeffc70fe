// The options page driven by host events, over a recording settings service.
#include "tests/RecordingHost.h"
#include "plugin/PluginState.h"
#include "plugin/SettingsStore.h"
#include "plugin/StoredPassword.h"
#include "remote/FtpSettings.h"
#include "ui/MoreSettingsDialogIds.h"
#include "ui/OptionsPage.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
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
    const wchar_t* keys[] = {L"ftpHost",  L"username",     L"password",   L"dir", L"httpHost",
                             L"keyFile",  L"sendLink",     L"autoClose",  L"copyLink",
                             L"randomPrefix", L"verifyLink", L"tls", L"protocol", L"expireDays"};
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
    // Off unless the user ticks them.
    EXPECT_EQ(0, host.integers[SettingKeys::copyLink]);
    EXPECT_EQ(0, host.integers[SettingKeys::randomPrefix]);
    // On unless the user clears it.
    EXPECT_EQ(1, host.integers[SettingKeys::verifyLink]);
    EXPECT_EQ(2, host.integers[SettingKeys::tls]);
    EXPECT_EQ(1, host.integers[SettingKeys::protocol]);
    EXPECT_EQ(L"C:\\klucze\\id_ed25519", host.texts[SettingKeys::keyFile]);
    EXPECT_EQ(0, host.integers[SettingKeys::expireDays]);

    host.integers[SettingKeys::tls] = 3;
    EXPECT_EQ(TlsMode::Implicit, FtpSettings::readTlsMode());
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
        EXPECT_EQ(13, childCount());
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
    EXPECT_TRUE(controls->more.copyLink);
    // Never saved: TLS when the server offers it, and FTP, as every profile from before SFTP.
    EXPECT_EQ(0, controls->more.tls);
    EXPECT_EQ(0, controls->more.protocol);

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
    send(OptionsPageSave);
    EXPECT_EQ(std::wstring(255, L'x'), host.texts[SettingKeys::dir]);
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
    EXPECT_FALSE(controls->more.copyLink);
    send(OptionsPageSave);
    EXPECT_TRUE(host.calls().empty());
}


// A window's rectangle in the parent's client area.
RECT placeOf(HWND window, HWND parent)
{
    RECT box;
    GetWindowRect(window, &box);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

// Messengers make room for the page's first twelve windows where they have
// always stood, down to y + 306: everything stays within y + 330, and the
// two buttons stand there, in reach.
TEST_F(OptionsPageTest, EverythingStandsWithinTheAreaWithTheFirstTwelveInTheirPlaces)
{
    send(OptionsPageShow);
    OptionsPageControls* controls = pluginState.optionsControls;
    const int tops[] = {24, 72, 120, 168, 216, 0, 48, 96, 144, 192, 264, 288};
    for (int slot = 0; slot < 12; ++slot) {
        RECT box = placeOf(controls->windows[slot], parent);
        EXPECT_EQ(20 + tops[slot], box.top) << slot;
        EXPECT_EQ(slot < 5 ? 70 : 10, box.left) << slot;
    }
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        EXPECT_LE(placeOf(child, parent).bottom, 20 + 330);
    for (HWND button : {controls->checkButton, controls->moreButton}) {
        RECT box = placeOf(button, parent);
        EXPECT_GE(box.top, 20 + 306);
        EXPECT_LE(box.bottom, 20 + 330);
        EXPECT_TRUE(GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE);
    }
}

// What the person does in the "Więcej ustawień..." dialog while it is open.
std::function<void(HWND)> inMoreSettings;

void CALLBACK actInMoreSettings(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowW(L"#32770", L"FTP - więcej ustawień");
    if (!dialog)
        return;
    KillTimer(nullptr, timer);
    inMoreSettings(dialog);
}

void useMoreSettings(const OptionsPageControls* controls, const std::function<void(HWND)>& act)
{
    inMoreSettings = act;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, actInMoreSettings);
    SendMessageW(controls->moreButton, BM_CLICK, 0, 0);
    KillTimer(nullptr, timer);
}

// The dialog shows what is stored; OK keeps what it shows for the page's
// save, Cancel drops it.
TEST_F(OptionsPageTest, MoreSettingsAreEditedInTheirDialogAndSavedWithThePage)
{
    host.integers[SettingKeys::tls] = 2;
    host.texts[SettingKeys::keyFile] = L"C:\\klucze\\id_ed25519";
    host.integers[SettingKeys::expireDays] = 30;
    send(OptionsPageShow);
    OptionsPageControls* controls = pluginState.optionsControls;
    std::wstring shownKey;
    useMoreSettings(controls, [&](HWND dialog) {
        EXPECT_EQ(4, SendDlgItemMessageW(dialog, IDC_MORE_TLS_LIST, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(2, SendDlgItemMessageW(dialog, IDC_MORE_TLS_LIST, CB_GETCURSEL, 0, 0));
        EXPECT_EQ(0, SendDlgItemMessageW(dialog, IDC_MORE_PROTOCOL_LIST, CB_GETCURSEL, 0, 0));
        wchar_t text[300] = L"";
        GetDlgItemTextW(dialog, IDC_MORE_KEY_FILE_EDIT, text, 300);
        shownKey = text;
        EXPECT_EQ(30u, GetDlgItemInt(dialog, IDC_MORE_EXPIRE_DAYS_EDIT, nullptr, FALSE));
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_MORE_RANDOM_PREFIX_CHECK));
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_MORE_VERIFY_LINK_CHECK));
        SendDlgItemMessageW(dialog, IDC_MORE_PROTOCOL_LIST, CB_SETCURSEL, 1, 0);
        CheckDlgButton(dialog, IDC_MORE_COPY_LINK_CHECK, BST_CHECKED);
        CheckDlgButton(dialog, IDC_MORE_RANDOM_PREFIX_CHECK, BST_CHECKED);
        CheckDlgButton(dialog, IDC_MORE_VERIFY_LINK_CHECK, BST_UNCHECKED);
        SetDlgItemTextW(dialog, IDC_MORE_EXPIRE_DAYS_EDIT, L"7");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(L"C:\\klucze\\id_ed25519", shownKey);
    useMoreSettings(controls, [](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_MORE_EXPIRE_DAYS_EDIT, L"99");
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    send(OptionsPageSave);
    EXPECT_EQ(1, host.integers[SettingKeys::protocol]);
    EXPECT_EQ(1, host.integers[SettingKeys::copyLink]);
    EXPECT_EQ(1, host.integers[SettingKeys::randomPrefix]);
    EXPECT_EQ(0, host.integers[SettingKeys::verifyLink]);
    EXPECT_EQ(7, host.integers[SettingKeys::expireDays]);
    EXPECT_EQ(2, host.integers[SettingKeys::tls]);
}

// A password this Windows user cannot unprotect shows as an empty box and
// stays stored through a save, until the user types a new one. A plain one
// from an earlier version is protected when asked.
TEST_F(OptionsPageTest, UnreadablePasswordSurvivesASaveAndAPlainOneIsProtected)
{
    const std::wstring foreign = L"{DPAPI}AQAAANCMnd8BFdERjHoAwE";
    host.texts[SettingKeys::password] = foreign;
    send(OptionsPageShow);
    EXPECT_EQ(0, GetWindowTextLengthW(pluginState.optionsControls->windows[OptionsPageControls::PasswordEdit]));
    send(OptionsPageSave);
    EXPECT_EQ(foreign, host.texts[SettingKeys::password]);
    send(OptionsPageShow);
    SetWindowTextW(pluginState.optionsControls->windows[OptionsPageControls::PasswordEdit], L"nowe");
    send(OptionsPageSave);
    std::wstring password;
    ASSERT_TRUE(StoredPassword::unprotect(host.texts[SettingKeys::password], password));
    EXPECT_EQ(L"nowe", password);

    host.texts[SettingKeys::password] = L"tajne";
    EXPECT_TRUE(StoredPassword::protectPlain());
    EXPECT_EQ(0u, host.texts[SettingKeys::password].find(L"{DPAPI}"));
    ASSERT_TRUE(StoredPassword::unprotect(host.texts[SettingKeys::password], password));
    EXPECT_EQ(L"tajne", password);
}

}
