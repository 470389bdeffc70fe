#include "ui/OptionsPage.h"

#include "plugin/HostInterface.h"
#include "plugin/HostLog.h"
#include "plugin/PluginState.h"
#include "plugin/SentFiles.h"
#include "plugin/SettingsStore.h"
#include "plugin/StoredPassword.h"
#include "remote/FtpSettings.h"
#include "ui/Texts.h"

#include <commctrl.h>
#include <strsafe.h>

#include <cwchar>
#include <iterator>
#include <new>

namespace {

typedef OptionsPageControls Controls;

const wchar_t* const editKeys[] = {SettingKeys::ftpHost, SettingKeys::username, SettingKeys::password,
                                   SettingKeys::dir, SettingKeys::httpHost, SettingKeys::keyFile};

// Labels and edit boxes pair up, then the three check boxes and the lists:
// the order in which the page sets fonts, shows, hides and destroys its windows.
const int pairedOrder[] = {Controls::FtpHostLabel, Controls::FtpHostEdit, Controls::UsernameLabel,
                           Controls::UsernameEdit, Controls::PasswordLabel, Controls::PasswordEdit,
                           Controls::DirLabel, Controls::DirEdit, Controls::HttpHostLabel,
                           Controls::HttpHostEdit, Controls::LinksOnlyShownCheck, Controls::AutoCloseCheck,
                           Controls::CopyLinkCheck, Controls::TlsLabel, Controls::TlsList, Controls::ProtocolLabel,
                           Controls::ProtocolList, Controls::KeyFileLabel, Controls::KeyFileEdit, Controls::ExpireDaysLabel,
                           Controls::ExpireDaysEdit, Controls::ExpireDaysUnit, Controls::CheckPanel};

const int checkButtonId = 9;
const UINT_PTR panelSubclassId = 1;
const wchar_t* const checkText = L"Sprawdź";
const wchar_t* const cancelCheckText = L"Anuluj";

OptionsPage::CheckStarter checkStarter = nullptr;

// In the order of the stored values of SettingKeys::tls.
const wchar_t* const tlsChoices[] = {
    L"Szyfruj (TLS), jeśli serwer to umożliwia; jeśli nie, łącz bez szyfrowania",
    L"Wymagaj szyfrowania (TLS); bez niego nie łącz się",
    L"Nie szyfruj: hasło i pliki jawnym tekstem",
};

// In the order of the stored values of SettingKeys::protocol.
const wchar_t* const protocolChoices[] = {L"FTP", L"SFTP (SSH)"};

struct ControlLayout {
    int slot;
    const wchar_t* className;
    const wchar_t* text;  // null: the edit box's stored setting
    DWORD style;
    int left;  // added to x
    int top;   // added to y
    int width; // 0: the page's width
    int height;
    int id;
};

const int editTextCapacity = 256;  // characters saved of an edit box, with the terminator
const int expireDaysDigits = 4;    // SentFiles::maxExpireDays

const DWORD labelStyle = WS_CHILD | WS_VISIBLE;
const DWORD editStyle = labelStyle | WS_BORDER;
const DWORD checkStyle = labelStyle | BS_AUTOCHECKBOX;
const DWORD listStyle = labelStyle | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;

const ControlLayout controlLayouts[] = {
    {Controls::FtpHostLabel, L"STATIC", L"Host ftp:", labelStyle, 0, 0, 0, 24, 0},
    {Controls::UsernameLabel, L"STATIC", L"Użytkownik:", labelStyle, 0, 48, 0, 24, 0},
    {Controls::PasswordLabel, L"STATIC", L"Hasło:", labelStyle, 0, 96, 0, 24, 0},
    {Controls::DirLabel, L"STATIC", L"Katalog na serwerze:", labelStyle, 0, 144, 0, 24, 0},
    {Controls::HttpHostLabel, L"STATIC", L"Link, który zostanie wysłany z doklejoną nazwą pliku:", labelStyle,
     0, 192, 0, 24, 0},
    {Controls::FtpHostEdit, L"EDIT", nullptr, editStyle, 60, 24, 260, 18, 0},
    {Controls::UsernameEdit, L"EDIT", nullptr, editStyle, 60, 72, 260, 18, 1},
    {Controls::PasswordEdit, L"EDIT", nullptr, editStyle | ES_PASSWORD, 60, 120, 260, 18, 2},
    {Controls::DirEdit, L"EDIT", nullptr, editStyle, 60, 168, 260, 18, 3},
    {Controls::HttpHostEdit, L"EDIT", nullptr, editStyle, 60, 216, 260, 18, 4},
    {Controls::LinksOnlyShownCheck, L"BUTTON", L"Pokazuj linki w oknie rozmowy, ale ich nie wysyłaj", checkStyle, 0,
     264, 0, 18, 5},
    {Controls::AutoCloseCheck, L"BUTTON", L"Automatycznie zamykaj okno postępu po wysłaniu pliku", checkStyle,
     0, 284, 0, 18, 5},
    {Controls::CopyLinkCheck, L"BUTTON", L"Kopiuj link do schowka", checkStyle, 0, 304, 0, 18, 5},
    {Controls::TlsLabel, L"STATIC", L"Szyfrowanie połączenia z serwerem FTP (nie dotyczy SFTP, które szyfruje zawsze):",
     labelStyle, 0, 330, 0, 24, 0},
    {Controls::TlsList, L"COMBOBOX", L"", listStyle, 0, 354, 0, 120, 6},
    // Created after the TLS list: the stand-in messenger fills the page's
    // values in the order of creation.
    {Controls::ProtocolLabel, L"STATIC", L"Protokół (bez portu w adresie: 21 dla FTP, 22 dla SFTP):", labelStyle, 0,
     384, 0, 24, 0},
    {Controls::ProtocolList, L"COMBOBOX", L"", listStyle, 0, 408, 0, 120, 7},
    {Controls::KeyFileLabel, L"STATIC",
     L"Plik klucza prywatnego SSH w formacie OpenSSH (pusty: logowanie hasłem; z kluczem „Hasło” to hasło klucza):",
     labelStyle, 0, 438, 0, 24, 0},
    {Controls::KeyFileEdit, L"EDIT", nullptr, editStyle, 0, 462, 0, 18, 8},
    {Controls::ExpireDaysLabel, L"STATIC", L"Usuwaj wysłane pliki po", labelStyle, 0, 494, 140, 18, 0},
    {Controls::ExpireDaysEdit, L"EDIT", nullptr, editStyle | ES_NUMBER, 140, 492, 50, 18, 10},
    {Controls::ExpireDaysUnit, L"STATIC", L"dniach (0: nigdy)", labelStyle, 196, 494, 140, 18, 0},
    // A window of the page's own around the button: the host's page area
    // would not pass its click on.
    {Controls::CheckPanel, L"STATIC", L"", labelStyle, 0, 522, 100, 24, 0},
};

// Writes the text and its terminator only: the rest of the buffer is the host's.
void copyText(wchar_t* buffer, size_t capacity, const wchar_t* text)
{
    StringCchCopyW(buffer, capacity, text);
}

void tickFromSetting(HWND box, const wchar_t* key)
{
    if (SettingsStore::readFlag(key))
        SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
}

template <size_t count>
void fillList(HWND list, const wchar_t* const (&choices)[count], WPARAM chosen)
{
    for (const wchar_t* choice : choices)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    SendMessageW(list, CB_SETCURSEL, chosen, 0);
}

int32_t chosenIn(HWND list)
{
    LRESULT chosen = SendMessageW(list, CB_GETCURSEL, 0, 0);
    return chosen == CB_ERR ? 0 : static_cast<int32_t>(chosen);
}

// The box takes digits only; anything else there (pasted) counts as 0, never.
int32_t daysIn(HWND box)
{
    wchar_t text[expireDaysDigits + 1] = {};
    GetWindowTextW(box, text, expireDaysDigits + 1);
    wchar_t* end = nullptr;
    long days = std::wcstol(text, &end, 10);
    return *end == L'\0' && days > 0 ? static_cast<int32_t>(days) : 0;
}

int checkValue(HWND box)
{
    return SendMessageW(box, BM_GETCHECK, 0, 0) != 0 ? 1 : 0;
}

std::wstring textOf(const OptionsPageControls* controls, int slot)
{
    wchar_t text[editTextCapacity] = {};
    GetWindowTextW(controls->windows[slot], text, editTextCapacity);
    std::wstring value(text);
    SecureZeroMemory(text, sizeof(text));
    return value;
}

FtpSettings::Values valuesOf(const OptionsPageControls* controls)
{
    FtpSettings::Values values;
    values.host = textOf(controls, Controls::FtpHostEdit);
    values.username = textOf(controls, Controls::UsernameEdit);
    values.password = textOf(controls, Controls::PasswordEdit);
    values.dir = textOf(controls, Controls::DirEdit);
    values.keyFile = textOf(controls, Controls::KeyFileEdit);
    values.protocol = chosenIn(controls->windows[Controls::ProtocolList]) == 1 ? Protocol::Sftp : Protocol::Ftp;
    values.tls = static_cast<TlsMode>(chosenIn(controls->windows[Controls::TlsList]));
    return values;
}

// A cancelled check ends quietly in the background, its probe removed.
void forgetCheck(OptionsPageControls* controls)
{
    if (controls->check) {
        controls->check->cancelled = true;
        controls->check->notify = nullptr;
        controls->check.reset();
    }
    SetWindowTextW(controls->checkButton, checkText);
}

void startCheck(OptionsPageControls* controls)
{
    auto control = std::make_shared<CheckControl>();
    control->notify = controls->windows[Controls::CheckPanel];
    if (checkStarter &&
        checkStarter(valuesOf(controls), textOf(controls, Controls::HttpHostEdit), control)) {
        controls->check = control;
        SetWindowTextW(controls->checkButton, cancelCheckText);
    }
}

LRESULT CALLBACK panelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto controls = reinterpret_cast<OptionsPageControls*>(data);
    try {
        if (message == WM_COMMAND && LOWORD(wParam) == checkButtonId && HIWORD(wParam) == BN_CLICKED) {
            if (controls->check)
                forgetCheck(controls);
            else
                startCheck(controls);
            return 0;
        }
        if (message == CheckControl::endedMessage) {
            forgetCheck(controls);
            return 0;
        }
    } catch (...) {
        Vornix::logCaughtException(L"options page check");
        return 0;
    }
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(window, panelProc, panelSubclassId);
    return DefSubclassProc(window, message, wParam, lParam);
}

void addCheckButton(OptionsPageControls* controls, HINSTANCE module)
{
    HWND panel = controls->windows[Controls::CheckPanel];
    SetWindowLongPtrW(panel, GWL_EXSTYLE, GetWindowLongPtrW(panel, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    controls->checkButton =
        CreateWindowExW(0, L"BUTTON", checkText, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 100, 24,
                        panel, reinterpret_cast<HMENU>(INT_PTR(checkButtonId)), module, nullptr);
    SendMessageW(controls->checkButton, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    SetWindowSubclass(panel, panelProc, panelSubclassId, reinterpret_cast<DWORD_PTR>(controls));
}

void dropControls(PluginState* state)
{
    OptionsPage::destroyControls(state->optionsControls);
    state->optionsControls = nullptr;
}

}

INT_PTR __cdecl OptionsPage::onOptionsPageEvent(WPARAM wParam, LPARAM, void* userData)
{
    auto event = reinterpret_cast<OptionsPageEvent*>(wParam);
    auto state = static_cast<PluginState*>(userData);
    if (!event || !state)
        return 0;
    try {
        copyText(event->caption, std::size(event->caption), Texts::optionsPageCaption);
        copyText(event->description, std::size(event->description), L"Wysyłanie plików na serwer FTP, wstawianie linków do nich");
        if (!state->optionsControls)
            state->optionsControls =
                createControls(event->parent, state->moduleHandle, event->x, event->y, event->width);
        switch (event->action) {
        case OptionsPageShow:
            showControls(state->optionsControls);
            break;
        case OptionsPageHide:
            hideControls(state->optionsControls);
            break;
        case OptionsPageSave:
            saveControls(state->optionsControls);
            dropControls(state);
            break;
        case OptionsPageCancel:
            dropControls(state);
            break;
        default:
            break;
        }
    } catch (...) {
        Vornix::logCaughtException(L"options page");
    }
    return 0;
}

OptionsPageControls* OptionsPage::createControls(HWND parent, HINSTANCE module, int x, int y, int width)
{
    auto controls = new OptionsPageControls();
    for (const ControlLayout& layout : controlLayouts) {
        std::wstring stored;
        if (layout.slot == Controls::PasswordEdit)
            StoredPassword::read(stored);
        else if (layout.slot == Controls::ExpireDaysEdit)
            stored = std::to_wstring(SentFiles::expireDays());
        else if (!layout.text)
            stored = SettingsStore::readString(editKeys[layout.slot]);
        controls->windows[layout.slot] = CreateWindowExW(
            0, layout.className, layout.text ? layout.text : stored.c_str(), layout.style, x + layout.left, y + layout.top,
            layout.width ? layout.width : width, layout.height, parent, reinterpret_cast<HMENU>(INT_PTR(layout.id)),
            module, nullptr);
    }
    WPARAM font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    for (int slot : pairedOrder)
        SendMessageW(controls->windows[slot], WM_SETFONT, font, TRUE);
    tickFromSetting(controls->windows[Controls::LinksOnlyShownCheck], SettingKeys::linksOnlyShown);
    tickFromSetting(controls->windows[Controls::AutoCloseCheck], SettingKeys::autoClose);
    if (SettingsStore::readOptIn(SettingKeys::copyLink))
        SendMessageW(controls->windows[Controls::CopyLinkCheck], BM_SETCHECK, BST_CHECKED, 0);
    fillList(controls->windows[Controls::TlsList], tlsChoices, static_cast<WPARAM>(FtpSettings::readTlsMode()));
    bool sftp = SettingsStore::readInt(SettingKeys::protocol).value == static_cast<int32_t>(Protocol::Sftp);
    fillList(controls->windows[Controls::ProtocolList], protocolChoices, sftp ? 1 : 0);
    SendMessageW(controls->windows[Controls::ExpireDaysEdit], EM_LIMITTEXT, expireDaysDigits, 0);
    addCheckButton(controls, module);
    return controls;
}

void OptionsPage::showControls(OptionsPageControls* controls)
{
    for (int slot : pairedOrder)
        ShowWindow(controls->windows[slot], SW_SHOW);
}

void OptionsPage::hideControls(OptionsPageControls* controls)
{
    for (int slot : pairedOrder)
        ShowWindow(controls->windows[slot], SW_HIDE);
}

void OptionsPage::saveControls(OptionsPageControls* controls)
{
    for (int slot = Controls::FtpHostEdit; slot <= Controls::KeyFileEdit; ++slot) {
        wchar_t text[editTextCapacity] = {};
        GetWindowTextW(controls->windows[slot], text, editTextCapacity);
        if (slot == Controls::PasswordEdit)
            StoredPassword::write(text);
        else
            SettingsStore::writeString(editKeys[slot], text);
        SecureZeroMemory(text, sizeof(text));
    }
    SettingsStore::writeInt(SettingKeys::linksOnlyShown, checkValue(controls->windows[Controls::LinksOnlyShownCheck]));
    SettingsStore::writeInt(SettingKeys::autoClose, checkValue(controls->windows[Controls::AutoCloseCheck]));
    SettingsStore::writeInt(SettingKeys::copyLink, checkValue(controls->windows[Controls::CopyLinkCheck]));
    SettingsStore::writeInt(SettingKeys::tls, chosenIn(controls->windows[Controls::TlsList]));
    SettingsStore::writeInt(SettingKeys::protocol, chosenIn(controls->windows[Controls::ProtocolList]));
    SettingsStore::writeInt(SettingKeys::expireDays, daysIn(controls->windows[Controls::ExpireDaysEdit]));
}

void OptionsPage::destroyControls(OptionsPageControls* controls)
{
    if (!controls)
        return;
    if (controls->check) {
        controls->check->cancelled = true;
        controls->check->notify = nullptr;
    }
    for (int slot : pairedOrder)
        DestroyWindow(controls->windows[slot]);
    delete controls;
}

void OptionsPage::setCheckStarter(CheckStarter starter)
{
    checkStarter = starter;
}
