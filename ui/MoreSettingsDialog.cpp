#include "ui/MoreSettingsDialog.h"

#include "plugin/HostLog.h"
#include "plugin/SentFiles.h"
#include "plugin/SettingsStore.h"
#include "remote/FtpSettings.h"
#include "ui/MoreSettingsDialogIds.h"

#include <cwchar>
#include <iterator>

namespace {

// In the order of the stored values of SettingKeys::tls.
const wchar_t* const tlsChoices[] = {
    L"Szyfruj (TLS), jeśli serwer to umożliwia; jeśli nie, łącz bez szyfrowania",
    L"Wymagaj szyfrowania (TLS); bez niego nie łącz się",
    L"Nie szyfruj: hasło i pliki jawnym tekstem",
    L"Szyfrowanie niejawne (TLS od razu po połączeniu, zwykle port 990)",
};

// In the order of the stored values of SettingKeys::protocol.
const wchar_t* const protocolChoices[] = {L"FTP", L"SFTP (SSH)"};

const int keyFileCapacity = 256;  // characters kept, with the terminator, as the page's boxes
const int expireDaysDigits = 4;   // SentFiles::maxExpireDays

template <size_t count>
void fillList(HWND list, const wchar_t* const (&choices)[count], int32_t chosen)
{
    for (const wchar_t* choice : choices)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

int32_t chosenIn(HWND dialog, int id)
{
    LRESULT chosen = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
    return chosen == CB_ERR ? 0 : static_cast<int32_t>(chosen);
}

// The box takes digits only; anything else there (pasted) counts as 0, never.
int32_t daysIn(HWND dialog)
{
    wchar_t text[expireDaysDigits + 1] = {};
    GetDlgItemTextW(dialog, IDC_MORE_EXPIRE_DAYS_EDIT, text, expireDaysDigits + 1);
    wchar_t* end = nullptr;
    long days = std::wcstol(text, &end, 10);
    return *end == L'\0' && days > 0 ? static_cast<int32_t>(days) : 0;
}

void show(HWND dialog, const MoreSettings& settings)
{
    fillList(GetDlgItem(dialog, IDC_MORE_TLS_LIST), tlsChoices, settings.tls);
    fillList(GetDlgItem(dialog, IDC_MORE_PROTOCOL_LIST), protocolChoices, settings.protocol);
    SendDlgItemMessageW(dialog, IDC_MORE_KEY_FILE_EDIT, EM_LIMITTEXT, keyFileCapacity - 1, 0);
    SetDlgItemTextW(dialog, IDC_MORE_KEY_FILE_EDIT, settings.keyFile.c_str());
    CheckDlgButton(dialog, IDC_MORE_COPY_LINK_CHECK, settings.copyLink ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_MORE_RANDOM_PREFIX_CHECK, settings.randomPrefix ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_MORE_VERIFY_LINK_CHECK, settings.verifyLink ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(dialog, IDC_MORE_EXPIRE_DAYS_EDIT, EM_LIMITTEXT, expireDaysDigits, 0);
    SetDlgItemTextW(dialog, IDC_MORE_EXPIRE_DAYS_EDIT, std::to_wstring(settings.expireDays).c_str());
}

void take(HWND dialog, MoreSettings& settings)
{
    settings.tls = chosenIn(dialog, IDC_MORE_TLS_LIST);
    settings.protocol = chosenIn(dialog, IDC_MORE_PROTOCOL_LIST);
    wchar_t path[keyFileCapacity] = {};
    GetDlgItemTextW(dialog, IDC_MORE_KEY_FILE_EDIT, path, keyFileCapacity);
    settings.keyFile = path;
    settings.copyLink = IsDlgButtonChecked(dialog, IDC_MORE_COPY_LINK_CHECK) == BST_CHECKED;
    settings.randomPrefix = IsDlgButtonChecked(dialog, IDC_MORE_RANDOM_PREFIX_CHECK) == BST_CHECKED;
    settings.verifyLink = IsDlgButtonChecked(dialog, IDC_MORE_VERIFY_LINK_CHECK) == BST_CHECKED;
    settings.expireDays = daysIn(dialog);
}

}

MoreSettings MoreSettings::read()
{
    MoreSettings settings;
    settings.tls = static_cast<int32_t>(FtpSettings::readTlsMode());
    settings.protocol = SettingsStore::readInt(SettingKeys::protocol).value == static_cast<int32_t>(Protocol::Sftp);
    settings.keyFile = SettingsStore::readString(SettingKeys::keyFile);
    settings.copyLink = SettingsStore::readOptIn(SettingKeys::copyLink);
    settings.randomPrefix = SettingsStore::readOptIn(SettingKeys::randomPrefix);
    settings.verifyLink = SettingsStore::readFlag(SettingKeys::verifyLink);
    settings.expireDays = SentFiles::expireDays();
    return settings;
}

bool MoreSettingsDialog::edit(HINSTANCE module, HWND owner, MoreSettings& settings)
{
    return DialogBoxParamW(module, MAKEINTRESOURCEW(IDD_MORE_SETTINGS), owner, dialogProc,
                           reinterpret_cast<LPARAM>(&settings)) == IDOK;
}

INT_PTR CALLBACK MoreSettingsDialog::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            show(dialog, *reinterpret_cast<MoreSettings*>(lParam));
            return TRUE;
        }
        if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            if (LOWORD(wParam) == IDOK)
                take(dialog, *reinterpret_cast<MoreSettings*>(GetWindowLongPtrW(dialog, DWLP_USER)));
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
    } catch (...) {
        Vornix::logCaughtException(L"more settings");
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}
