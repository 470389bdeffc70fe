#include "host/ScriptedCommands.h"

#include "host/CommandLine.h"
#include "host/ContactList.h"
#include "host/FunctionRegistry.h"
#include "host/MenuService.h"
#include "host/OptionsService.h"
#include "host/OptionsWindow.h"
#include "host/PassedContact.h"
#include "host/PluginModule.h"
#include "host/Text.h"
#include "host/Transcript.h"
#include "ui/SentFilesWindowIds.h"

#include <commctrl.h>

#include <algorithm>

namespace {

bool isCheckBox(HWND window)
{
    LONG type = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
    return _wcsicmp(Text::windowClass(window).c_str(), L"Button") == 0 &&
           (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE);
}

bool isDropDownList(HWND window)
{
    return _wcsicmp(Text::windowClass(window).c_str(), L"ComboBox") == 0;
}

// 0 an edit box, 1 a check box, 2 a drop-down list, -1 anything else: the
// order in which the page's controls stand for the option keys.
int controlKind(HWND window)
{
    if (_wcsicmp(Text::windowClass(window).c_str(), L"Edit") == 0)
        return 0;
    if (isCheckBox(window))
        return 1;
    return isDropDownList(window) ? 2 : -1;
}

// The first button, at any depth under `parent`, that reads `text`.
HWND findButton(HWND parent, const std::wstring& text)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(Text::windowClass(child).c_str(), L"Button") == 0 && Text::windowText(child) == text)
            return child;
        if (HWND found = findButton(child, text))
            return found;
    }
    return nullptr;
}

std::vector<HWND> controlsUnder(HWND parent)
{
    std::vector<HWND> controls;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (controlKind(child) >= 0)
            controls.push_back(child);
    }
    return controls;
}

// Empty when there are as many of each kind as there are option keys.
std::wstring countsProblem(const std::vector<HWND>& controls)
{
    int counts[3] = {};
    for (HWND control : controls)
        ++counts[controlKind(control)];
    if (counts[0] == 7 && counts[1] == 5 && counts[2] == 2)
        return L"";
    return L"the options page and its dialog have " + std::to_wstring(counts[0]) + L" edit boxes, " +
           std::to_wstring(counts[1]) + L" check boxes and " + std::to_wstring(counts[2]) +
           L" drop-down lists, not 7, 5 and 2";
}

// The dialog that withAllControls waits for, and what to do in it.
std::function<void(HWND)> openedDialogAction;
HWND openedDialogOwner = nullptr;

BOOL CALLBACK findOwnedDialog(HWND window, LPARAM found)
{
    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == openedDialogOwner &&
        Text::windowClass(window) == L"#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK actInOpenedDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findOwnedDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || !openedDialogAction)
        return;
    KillTimer(nullptr, timer);
    auto action = openedDialogAction;
    openedDialogAction = nullptr;
    action(dialog);
}

std::wstring hex(DWORD value)
{
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(value));
    return text;
}

}

ScriptedCommands::ScriptedCommands(const CommandLine& commandLine, const Parts& parts)
    : commandLine(commandLine), parts(parts)
{
}

int ScriptedCommands::run()
{
    const std::wstring& command = commandLine.command;
    if (command == L"info")
        return info();
    if (command == L"options")
        return options();
    if (command == L"check")
        return check();
    if (command == L"send")
        return send();
    if (command == L"send-as-plugin")
        return sendAsPlugin();
    if (command == L"clipboard")
        return clipboard();
    if (command == L"sent")
        return sent();
    if (command == L"sent-delete")
        return sentDelete();
    return clean();
}

int ScriptedCommands::info()
{
    const PluginInfo* info = parts.plugin.info();
    Transcript& out = parts.transcript;
    out.line(L"size=" + std::to_wstring(info->size));
    out.line(L"name=" + Text::copyOf(info->name));
    out.line(L"description=" + Text::copyOf(info->description));
    out.line(L"copyright=" + Text::copyOf(info->copyright));
    out.line(L"author=" + Text::copyOf(info->author));
    out.line(L"authorContact=" + Text::copyOf(info->authorContact));
    out.line(L"website=" + Text::copyOf(info->website));
    out.line(L"emptyText=" + Text::copyOf(info->emptyText));
    out.line(L"textCodePage=" + std::to_wstring(info->textCodePage));
    out.line(L"pluginVersion=" + hex(info->pluginVersion));
    out.line(L"minimumCoreVersion=" + hex(info->minimumCoreVersion));
    out.line(L"apiVersion=" + hex(info->apiVersion));
    out.line(L"pluginFlags=" + hex(info->pluginFlags));
    out.line(L"guid=" + Text::copyOf(info->guid));
    return 0;
}

// The page's edit boxes, check boxes and drop-down lists, then those of its
// "Więcej ustawień..." dialog, each kind in child order, stand for the values
// in the order of CommandLine::optionKeys().
int ScriptedCommands::options()
{
    std::vector<OptionsService::Page> pages = parts.options.pages();
    OptionsWindow window(parts.instance, parts.mainWindow, pages);
    size_t index = 0;
    if (!openOwnPage(window, index))
        return 1;
    bool print = commandLine.commandArguments.empty();
    bool done = withAllControls(window.pageArea(index), print ? IDCANCEL : IDOK,
        [&](const std::vector<HWND>& controls) { print ? printPage(controls) : fillPage(controls); });
    if (done && !print)
        window.ok();
    else
        window.cancel();
    return done ? 0 : 1;
}

// The page's values as given, then "Sprawdź" pressed; the check's box shows
// in the transcript as any message box does. The window is cancelled once
// the button reads "Sprawdź" again, or after --cancel-check-after once its
// cancel is pressed.
int ScriptedCommands::check()
{
    std::vector<OptionsService::Page> pages = parts.options.pages();
    OptionsWindow window(parts.instance, parts.mainWindow, pages);
    size_t index = 0;
    if (!openOwnPage(window, index))
        return 1;
    if (!withAllControls(window.pageArea(index), IDOK, [&](const std::vector<HWND>& controls) { fillPage(controls); })) {
        window.cancel();
        return 1;
    }
    HWND button = findButton(window.pageArea(index), L"Sprawdź");
    if (!button) {
        window.cancel();
        return fail(L"the options page has no button \"Sprawdź\"");
    }
    SendMessageW(button, BM_CLICK, 0, 0);
    DWORD cancelAfter = commandLine.cancelCheckAfterMs;
    pumpWhile([&] { return Text::windowText(button) != L"Sprawdź"; },
              cancelAfter ? cancelAfter : commandLine.timeoutSeconds * 1000);
    if (cancelAfter && Text::windowText(button) != L"Sprawdź") {
        parts.transcript.line(L"check: " + Text::windowText(button) + L" pressed");
        SendMessageW(button, BM_CLICK, 0, 0);
    }
    window.cancel();
    return 0;
}

bool ScriptedCommands::openOwnPage(OptionsWindow& window, size_t& index)
{
    std::vector<OptionsService::Page> pages = parts.options.pages();
    auto own = std::find_if(pages.begin(), pages.end(),
        [&](const OptionsService::Page& page) { return page.module == parts.plugin.module(); });
    if (own == pages.end()) {
        fail(L"the plug-in has no options page");
        return false;
    }
    index = size_t(own - pages.begin());
    window.open(index);
    return true;
}

// A page with no dialog of its own holds every value itself.
bool ScriptedCommands::withPageControls(HWND page, const std::function<void(const std::vector<HWND>&)>& act)
{
    std::vector<HWND> controls = controlsUnder(page);
    std::stable_sort(controls.begin(), controls.end(), [](HWND a, HWND b) { return controlKind(a) < controlKind(b); });
    std::wstring problem = countsProblem(controls);
    if (!problem.empty()) {
        fail(problem);
        return false;
    }
    act(controls);
    return true;
}

// "Więcej ustawień..." opens a modal dialog: its loop runs inside the click,
// and a timer of this thread, which that loop serves, finds the dialog, lets
// `act` work on the page's and the dialog's values together and closes the
// dialog with `closeWith` (IDOK or IDCANCEL).
bool ScriptedCommands::withAllControls(HWND page, int closeWith, const std::function<void(const std::vector<HWND>&)>& act)
{
    HWND button = findButton(page, L"Więcej ustawień...");
    if (!button)
        return withPageControls(page, act);
    std::wstring problem = L"the button \"Więcej ustawień...\" opened no dialog";
    bool done = false;
    openedDialogAction = [&](HWND dialog) {
        std::vector<HWND> controls = controlsUnder(page);
        std::vector<HWND> more = controlsUnder(dialog);
        controls.insert(controls.end(), more.begin(), more.end());
        std::stable_sort(controls.begin(), controls.end(),
                         [](HWND a, HWND b) { return controlKind(a) < controlKind(b); });
        problem = countsProblem(controls);
        if (problem.empty()) {
            act(controls);
            done = true;
        }
        PostMessageW(dialog, WM_COMMAND, closeWith, 0);
    };
    openedDialogOwner = GetAncestor(page, GA_ROOT);
    UINT_PTR timer = SetTimer(nullptr, 0, 20, actInOpenedDialog);
    SendMessageW(button, BM_CLICK, 0, 0);
    KillTimer(nullptr, timer);
    openedDialogAction = nullptr;
    if (!done)
        fail(problem);
    return done;
}

// Serves this thread's windows while `busy` says so and the time is not up.
void ScriptedCommands::pumpWhile(const std::function<bool()>& busy, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (busy() && GetTickCount() - start < milliseconds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

int ScriptedCommands::send()
{
    PassedContact contact(parts.contacts.record(0), commandLine.forgetContact);
    return pick(L"WTW/Menu/Contact", L"WTW/Menu/Contact/Send", L"Wyślij plik na FTP...", &contact.record);
}

int ScriptedCommands::sendAsPlugin()
{
    if (!parts.registry.functionExists(L"wtwSkarvelin/sendFile"))
        return fail(L"no function wtwSkarvelin/sendFile");
    const std::vector<std::wstring>& arguments = commandLine.commandArguments;
    if (arguments.empty())
        callSendFile(nullptr);
    // Several paths: several uploads at once, as other plug-ins may start them.
    for (const std::wstring& argument : arguments)
        callSendFile(CommandLine::windowsPath(argument).c_str());
    return 0;
}

void ScriptedCommands::callSendFile(const wchar_t* path)
{
    PassedContact contact(parts.contacts.record(0), commandLine.forgetContact);
    SendFileRequest request = {path, contact.record.id, contact.record.netClass, contact.record.netId};
    parts.registry.callFunction(L"wtwSkarvelin/sendFile", reinterpret_cast<WPARAM>(&request), 0);
}

int ScriptedCommands::clean()
{
    return pick(L"WTW/Menu/Main", L"WTW/Menu/Main/Opt", L"Usuń wszystkie pliki na serwerze FTP", nullptr);
}

// No Unicode text on the clipboard prints the line with nothing after ": ".
int ScriptedCommands::clipboard()
{
    if (!OpenClipboard(parts.mainWindow))
        return fail(L"the clipboard cannot be opened");
    std::wstring text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (const wchar_t* locked = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr) {
        text = locked;
        GlobalUnlock(data);
    }
    CloseClipboard();
    parts.transcript.line(L"clipboard: " + text);
    return 0;
}

int ScriptedCommands::sent()
{
    HWND window = openSentFiles();
    if (!window)
        return 1;
    printSentFiles(GetDlgItem(window, IDC_SENT_LIST));
    SendMessageW(window, WM_COMMAND, IDC_SENT_CLOSE_BUTTON, 0);
    return 0;
}

// The rows given, then "Usuń z serwera"; the window is served until the
// button is enabled again (the removal ended and the list was read again),
// then the list is printed as it stands and the window closed.
int ScriptedCommands::sentDelete()
{
    HWND window = openSentFiles();
    if (!window)
        return 1;
    HWND button = GetDlgItem(window, IDC_SENT_DELETE_BUTTON);
    if (!selectRows(GetDlgItem(window, IDC_SENT_LIST))) {
        SendMessageW(window, WM_COMMAND, IDC_SENT_CLOSE_BUTTON, 0);
        return 1;
    }
    SendMessageW(button, BM_CLICK, 0, 0);
    pumpWhile([&] { return !IsWindowEnabled(button); }, commandLine.timeoutSeconds * 1000);
    printSentFiles(GetDlgItem(window, IDC_SENT_LIST));
    SendMessageW(window, WM_COMMAND, IDC_SENT_CLOSE_BUTTON, 0);
    return 0;
}

HWND ScriptedCommands::openSentFiles()
{
    if (pick(L"WTW/Menu/Main", L"WTW/Menu/Main/Opt", L"Wysłane pliki na FTP...", nullptr) != 0)
        return nullptr;
    HWND window = FindWindowW(L"#32770", L"Wysłane pliki na FTP");
    if (!window || !GetDlgItem(window, IDC_SENT_LIST)) {
        fail(L"the plug-in opened no window \"Wysłane pliki na FTP\" with a list");
        return nullptr;
    }
    return window;
}

// Rows are numbered from 1, as `sent` prints them.
bool ScriptedCommands::selectRows(HWND list)
{
    int rows = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (const std::wstring& argument : commandLine.commandArguments) {
        int row = std::stoi(argument);
        if (row > rows) {
            fail(L"sent-delete: no row " + argument + L" in a list of " + std::to_wstring(rows));
            return false;
        }
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, row - 1, reinterpret_cast<LPARAM>(&item));
    }
    return true;
}

// "sent-file N: NAME | CONTACT | DATE | SIZE | LINK", the columns as shown.
void ScriptedCommands::printSentFiles(HWND list)
{
    int rows = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    int columns = int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        std::wstring line = L"sent-file " + std::to_wstring(row + 1) + L":";
        for (int column = 0; column < columns; ++column) {
            wchar_t text[1024] = L"";
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 1024;
            SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
            line += (column ? L" | " : L" ") + std::wstring(text);
        }
        parts.transcript.line(line);
    }
}

int ScriptedCommands::pick(const std::wstring& menu, const std::wstring& submenu, const std::wstring& caption,
    ContactRecord* contact)
{
    std::vector<MenuService::Item> items = parts.menus.open(menu);
    auto item = std::find_if(items.begin(), items.end(),
        [&](const MenuService::Item& each) { return each.menuId == submenu && each.caption == caption; });
    if (item == items.end())
        return fail(L"no item \"" + caption + L"\" in the menu " + submenu);
    MenuCommandInfo command = {};
    command.contact = contact;
    item->handler(0, reinterpret_cast<LPARAM>(&command), item->userData);
    return 0;
}

int ScriptedCommands::fail(const std::wstring& message)
{
    parts.transcript.note(message);
    return 1;
}

// A check box shows as 0 or 1, a drop-down list as the position of its choice.
void ScriptedCommands::printPage(const std::vector<HWND>& controls)
{
    const std::vector<std::wstring>& keys = CommandLine::optionKeys();
    for (size_t i = 0; i < controls.size(); ++i) {
        std::wstring value = Text::windowText(controls[i]);
        if (isCheckBox(controls[i]))
            value = SendMessageW(controls[i], BM_GETCHECK, 0, 0) == BST_CHECKED ? L"1" : L"0";
        else if (isDropDownList(controls[i]))
            value = std::to_wstring(SendMessageW(controls[i], CB_GETCURSEL, 0, 0));
        parts.transcript.line(keys[i] + L"=" + value);
    }
}

// WM_SETTEXT rather than keystrokes: a box without ES_AUTOHSCROLL takes typing
// only as far as it is wide, and long values must arrive whole.
void ScriptedCommands::fillPage(const std::vector<HWND>& controls)
{
    const std::vector<std::wstring>& keys = CommandLine::optionKeys();
    for (const std::wstring& assignment : commandLine.commandArguments) {
        size_t equals = assignment.find(L'=');
        std::wstring value = assignment.substr(equals + 1);
        HWND control = controls[size_t(std::find(keys.begin(), keys.end(), assignment.substr(0, equals)) - keys.begin())];
        if (isCheckBox(control))
            SendMessageW(control, BM_SETCHECK, value == L"1" ? BST_CHECKED : BST_UNCHECKED, 0);
        else if (isDropDownList(control))
            SendMessageW(control, CB_SETCURSEL, std::stoi(value), 0);
        else
            SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    }
}
