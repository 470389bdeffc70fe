#include "ui/OptionsPage.h"

#include "plugin/HostInterface.h"
#include "plugin/HostLog.h"
#include "plugin/PluginState.h"
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
                                   SettingKeys::dir, SettingKeys::httpHost};

// Labels and edit boxes pair up, then the two check boxes and the buttons:
// the order in which the page sets fonts, shows, hides and destroys its windows.
const int pairedOrder[] = {Controls::FtpHostLabel, Controls::FtpHostEdit, Controls::UsernameLabel,
                           Controls::UsernameEdit, Controls::PasswordLabel, Controls::PasswordEdit,
                           Controls::DirLabel, Controls::DirEdit, Controls::HttpHostLabel,
                           Controls::HttpHostEdit, Controls::LinksOnlyShownCheck, Controls::AutoCloseCheck,
                           Controls::ButtonPanel};

const int checkButtonId = 9;
const int moreButtonId = 10;
const UINT_PTR panelSubclassId = 1;
const wchar_t* const checkText = L"Sprawdź";
const wchar_t* const cancelCheckText = L"Anuluj";

OptionsPage::CheckStarter checkStarter = nullptr;

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

const DWORD labelStyle = WS_CHILD | WS_VISIBLE;
const DWORD editStyle = labelStyle | WS_BORDER;
const DWORD checkStyle = labelStyle | BS_AUTOCHECKBOX;
const DWORD buttonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;

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
     0, 288, 0, 18, 5},
    // A window of the page's own around the buttons: the host's page area
    // would not pass their clicks on.
    {Controls::ButtonPanel, L"STATIC", L"", labelStyle, 0, 306, 250, 24, 0},
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
    values.keyFile = controls->more.keyFile;
    values.protocol = controls->more.protocol == 1 ? Protocol::Sftp : Protocol::Ftp;
    values.tls = static_cast<TlsMode>(controls->more.tls);
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
    control->notify = controls->windows[Controls::ButtonPanel];
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
        if (message == WM_COMMAND && LOWORD(wParam) == moreButtonId && HIWORD(wParam) == BN_CLICKED) {
            MoreSettingsDialog::edit(controls->module, GetAncestor(window, GA_ROOT), controls->more);
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

HWND addButton(HWND panel, const wchar_t* text, int left, int width, int id, HINSTANCE module)
{
    HWND button = CreateWindowExW(0, L"BUTTON", text, buttonStyle, left, 0, width, 24, panel,
                                  reinterpret_cast<HMENU>(INT_PTR(id)), module, nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return button;
}

void addButtons(OptionsPageControls* controls, HINSTANCE module)
{
    HWND panel = controls->windows[Controls::ButtonPanel];
    SetWindowLongPtrW(panel, GWL_EXSTYLE, GetWindowLongPtrW(panel, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    controls->checkButton = addButton(panel, checkText, 0, 100, checkButtonId, module);
    controls->moreButton = addButton(panel, L"Więcej ustawień...", 106, 140, moreButtonId, module);
    SetWindowSubclass(panel, panelProc, panelSubclassId, reinterpret_cast<DWORD_PTR>(controls));
}

// A stored password this user cannot unprotect shows as an empty box; it
// stays stored until the user types another. One that cannot be protected
// is not stored at all: never as plain text.
void savePassword(const OptionsPageControls* controls, const wchar_t* typed)
{
    if (controls->passwordUnreadable && !*typed)
        return;
    if (!StoredPassword::write(typed))
        MessageBoxW(GetAncestor(controls->windows[Controls::PasswordEdit], GA_ROOT), Texts::passwordNotProtected,
                    L"Vornix", MB_ICONERROR);
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
    controls->module = module;
    controls->more = MoreSettings::read();
    for (const ControlLayout& layout : controlLayouts) {
        std::wstring stored;
        if (layout.slot == Controls::PasswordEdit)
            controls->passwordUnreadable = !StoredPassword::read(stored);
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
    addButtons(controls, module);
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
    for (int slot = Controls::FtpHostEdit; slot <= Controls::HttpHostEdit; ++slot) {
        wchar_t text[editTextCapacity] = {};
        GetWindowTextW(controls->windows[slot], text, editTextCapacity);
        if (slot == Controls::PasswordEdit)
            savePassword(controls, text);
        else
            SettingsStore::writeString(editKeys[slot], text);
        SecureZeroMemory(text, sizeof(text));
    }
    const MoreSettings& more = controls->more;
    SettingsStore::writeString(SettingKeys::keyFile, more.keyFile);
    SettingsStore::writeInt(SettingKeys::linksOnlyShown, checkValue(controls->windows[Controls::LinksOnlyShownCheck]));
    SettingsStore::writeInt(SettingKeys::autoClose, checkValue(controls->windows[Controls::AutoCloseCheck]));
    SettingsStore::writeInt(SettingKeys::copyLink, more.copyLink ? 1 : 0);
    SettingsStore::writeInt(SettingKeys::randomPrefix, more.randomPrefix ? 1 : 0);
    SettingsStore::writeInt(SettingKeys::verifyLink, more.verifyLink ? 1 : 0);
    SettingsStore::writeInt(SettingKeys::tls, more.tls);
    SettingsStore::writeInt(SettingKeys::protocol, more.protocol);
    SettingsStore::writeInt(SettingKeys::expireDays, more.expireDays);
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
