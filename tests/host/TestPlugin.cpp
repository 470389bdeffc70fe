// A plug-in of the host's own tests: it uses every host service and says in the
// log (source "TestPlugin") what it got back, so the tests read the host's
// behaviour from the transcript. The contact picked for "send" names the scenario.
#include "plugin/HostInterface.h"
#include "plugin/PluginInfo.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdarg>
#include <cwchar>
#include <string>

namespace {

const wchar_t mainWindowClass[] = L"{B993D471-D465-43F2-BBA5-DEEA18A1789E}";
const wchar_t pageId[] = L"{6F1C2B1E-3A4D-4E5F-8A9B-0C1D2E3F4A5B}";
// The page has the plug-in's shape: seven edit boxes, five check boxes, two lists.
const wchar_t* const textKeys[] = {L"opt0", L"opt1", L"opt2", L"opt3", L"opt4", L"opt5", L"opt6"};
const wchar_t* const checkKeys[] = {L"chk0", L"chk1", L"chk2", L"chk3", L"chk4"};
const int checks = 5;
const wchar_t* const listKeys[] = {L"list0", L"list1"};
const int edits = 7;

const PluginInfo info = {sizeof(PluginInfo), L"TestPlugin", L"Wtyczka testowa", L"(c) tests", L"tests",
    L"tests@example.org", L"https://example.org/tests", L"", 1200, 0x10203, 0x10000, 0x10000, 0, 0,
    L"{0E5A3C1B-2D4F-4A6B-8C9D-1E2F3A4B5C6D}", {0, 0, 0, 0, 0}};

HostFunctionTable* host;
HMODULE module;
HostHandle settings;
HostHandle rebuildHook;
HostHandle sendFileFunction;
HWND pageControls[edits + checks + 2];

void say(const wchar_t* format, ...)
{
    wchar_t text[1024];
    va_list arguments;
    va_start(arguments, format);
    vswprintf(text, 1024, format, arguments);
    va_end(arguments);
    LogRecord record = {sizeof(record), 1, L"TestPlugin", text, {0, 0}};
    host->callFunction(L"WTW/Log", reinterpret_cast<WPARAM>(&record), 0);
}

INT_PTR call(const wchar_t* name, const void* wParam, LPARAM lParam = 0)
{
    return host->callFunction(name, reinterpret_cast<WPARAM>(wParam), lParam);
}

// Every character but NUL, so that the round trip shows nothing is lost.
std::wstring longText()
{
    std::wstring text(4095, L' ');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = wchar_t(1 + (i * 7919) % 0xFFFE);
    return text;
}

SettingValue value(const wchar_t* key, DWORD type)
{
    SettingValue value = {};
    value.size = sizeof(value);
    value.key = key;
    value.type = type;
    value.settings = settings;
    return value;
}

INT_PTR readText(const wchar_t* key, wchar_t* buffer, DWORD capacity)
{
    SettingValue text = value(key, SettingText);
    text.value.text = buffer;
    text.length = capacity;
    return call(L"WTW/Settings/Get", &text);
}

void writeText(const wchar_t* key, const std::wstring& content)
{
    SettingValue text = value(key, SettingText);
    text.value.text = const_cast<wchar_t*>(content.c_str());
    text.length = DWORD(content.size());
    call(L"WTW/Settings/Set", &text);
}

bool readInt(const wchar_t* key, INT32* result)
{
    SettingValue number = value(key, SettingInteger);
    bool found = call(L"WTW/Settings/Get", &number) != 0;
    if (found)
        *result = number.value.integer;
    return found;
}

void writeInt(const wchar_t* key, INT32 content)
{
    SettingValue number = value(key, SettingInteger);
    number.value.integer = content;
    call(L"WTW/Settings/Set", &number);
}

void openSettings()
{
    wchar_t path[MAX_PATH] = L"";
    ConfigFileRequest request = {sizeof(request), path, MAX_PATH, 0};
    call(L"WTW/Settings/GetMyConfigFile", &request, reinterpret_cast<LPARAM>(module));
    say(L"config %ls", wcsrchr(path, L'\\') ? wcsrchr(path, L'\\') + 1 : path);
    settings = reinterpret_cast<HostHandle>(call(L"WTW/Settings/Init", path, reinterpret_cast<LPARAM>(module)));
}

// Each load counts itself and checks what the previous one stored.
void checkSettings()
{
    call(L"WTW/Settings/Read", settings);
    INT32 runs = 0;
    if (readInt(L"runs", &runs))
        say(L"runs=%d", runs);
    else
        say(L"runs absent");
    static wchar_t buffer[4096];
    if (readText(L"text", buffer, 4096))
        say(buffer == longText() ? L"text intact" : L"text differs");
    else
        say(L"text absent");
    writeInt(L"runs", runs + 1);
    writeText(L"text", longText());
    say(L"write %d", int(call(L"WTW/Settings/Write", settings)));
    wchar_t small[10];
    INT_PTR found = readText(L"text", small, 10);
    INT32 ignored = 0;
    say(L"short read %d %d", int(found), int(wcsnlen(small, 10)));
    say(L"missing %d mismatch %d", int(readInt(L"nothing", &ignored)), int(readInt(L"text", &ignored)));
}

void chat(const ContactRecord& contact)
{
    ChatMessage message = {};
    message.size = sizeof(message);
    message.contact = contact;
    message.text = L"Zażółć\r\ngęślą";
    message.flags = 6;
    wchar_t sendFunction[512];
    swprintf(sendFunction, 512, L"%ls/%d/PFMessageSend", contact.netClass, contact.netId);
    int shown = int(call(L"WTW/PFShowMessage", &message));
    int sent = int(call(sendFunction, &message));
    say(L"show %d send %d null %d", shown, sent, int(call(L"WTW/PFShowMessage", nullptr)));
}

void chooseFile()
{
    char file[256] = "";
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // as older plug-ins fill it in
    dialog.hwndOwner = FindWindowW(mainWindowClass, nullptr);
    dialog.lpstrFilter = "Wszystkie pliki\0*.*\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = 256;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&dialog))
        say(L"file %hs owner %d", file, dialog.hwndOwner != nullptr);
    else
        say(L"file cancelled");
}

DWORD WINAPI askQuestion(LPVOID)
{
    Sleep(300);
    int answer = MessageBoxW(nullptr, L"Czy na pewno?", L"TestPlugin", MB_YESNO);
    say(L"answer %ls", answer == IDYES ? L"yes" : answer == IDNO ? L"no" : L"other");
    MessageBoxA(nullptr, "Gotowe", "TestPlugin - A", MB_ICONERROR);
    say(L"question done");
    return 0;
}

INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wParam) == 3) {
        SetPropW(window, L"ABORT", reinterpret_cast<HANDLE>(1));
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == 2) {
        DestroyWindow(window);
        return TRUE;
    }
    return FALSE;
}

HWND makeDialog(const wchar_t* caption)
{
    HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(101), FindWindowW(mainWindowClass, nullptr), dialogProc, 0);
    SetWindowTextW(dialog, caption);
    return dialog;
}

HWND dialogs[4];

// Shown and closed, closed without ever being shown, shown and left open,
// shown and hidden again before it closes.
DWORD WINAPI driveWindows(LPVOID)
{
    ShowWindow(dialogs[0], SW_SHOWNORMAL);
    ShowWindow(dialogs[2], SW_SHOWNORMAL);
    ShowWindow(dialogs[3], SW_SHOWNORMAL);
    ShowWindow(dialogs[3], SW_HIDE);
    Sleep(200);
    PostMessageW(dialogs[0], WM_COMMAND, 2, 0);
    PostMessageW(dialogs[1], WM_COMMAND, 2, 0);
    PostMessageW(dialogs[3], WM_COMMAND, 2, 0);
    return 0;
}

DWORD WINAPI driveProgress(LPVOID dialog)
{
    HWND window = static_cast<HWND>(dialog);
    HWND bar = GetDlgItem(window, 1001);
    PostMessageW(bar, PBM_SETRANGE32, 0, 100000);
    ShowWindow(window, SW_SHOWNORMAL);
    int position = 0;
    for (; position <= 100000 && !GetPropW(window, L"ABORT"); position += 1000) {
        PostMessageW(bar, PBM_SETPOS, position, 0);
        Sleep(10);
    }
    if (position <= 100000)
        say(L"aborted at %d", position);
    else
        say(L"progress finished");
    PostMessageW(window, WM_COMMAND, 2, 0);
    return 0;
}

DWORD WINAPI hang(LPVOID)
{
    Sleep(INFINITE);
    return 0;
}

void startThread(LPTHREAD_START_ROUTINE routine, void* argument = nullptr)
{
    CloseHandle(CreateThread(nullptr, 0, routine, argument, 0, nullptr));
}

INT_PTR __cdecl onSend(WPARAM wParam, LPARAM lParam, void*)
{
    auto command = reinterpret_cast<const MenuCommandInfo*>(lParam);
    const ContactRecord& contact = *command->contact;
    std::wstring id = reinterpret_cast<const wchar_t*>(contact.id);
    say(L"send to %ls %ls/%d size %u wParam %d", id.c_str(), contact.netClass, contact.netId,
        unsigned(contact.size), int(wParam));
    if (id == L"chat")
        chat(contact);
    else if (id == L"file")
        chooseFile();
    else if (id == L"question")
        startThread(askQuestion);
    else if (id == L"hang")
        startThread(hang);
    else if (id == L"progress")
        startThread(driveProgress, makeDialog(L"progress"));
    else if (id == L"windows") {
        dialogs[0] = makeDialog(L"shown");
        dialogs[1] = makeDialog(L"hidden");
        dialogs[2] = makeDialog(L"kept");
        dialogs[3] = makeDialog(L"flashed");
        startThread(driveWindows);
    }
    return 0;
}

INT_PTR __cdecl onClean(WPARAM, LPARAM, void*)
{
    int answer = MessageBoxW(FindWindowW(mainWindowClass, nullptr), L"Usunąć wszystko?", L"TestPlugin", MB_YESNO);
    say(L"clean %ls", answer == IDYES ? L"yes" : L"no");
    return 0;
}

INT_PTR __cdecl onSendFile(WPARAM wParam, LPARAM, void*)
{
    auto request = reinterpret_cast<const SendFileRequest*>(wParam);
    if (!request)
        return -1;
    say(L"sendFile %ls to %ls %ls/%d", request->path ? request->path : L"(null)",
        reinterpret_cast<const wchar_t*>(request->contactId), request->netClass, request->netId);
    return 0;
}

INT_PTR __cdecl onRebuild(WPARAM wParam, LPARAM, void*)
{
    auto event = reinterpret_cast<const MenuRebuildEvent*>(wParam);
    wchar_t offer[16] = L"";
    GetEnvironmentVariableW(L"TESTPLUGIN_OFFER", offer, 16);
    if (wcscmp(offer, L"none") == 0) {
        say(L"rebuild %ls offers nothing", event->menuId);
        return 0;
    }
    int added = int(event->addItem(event->menuHandle, L"Test/send"));
    int invented = int(event->addItem(event->menuHandle + 1, L"Test/other"));
    say(L"rebuild %ls added %d invented %d", event->menuId, added, invented);
    return 0;
}

void createPage(const OptionsPageEvent& event)
{
    for (int i = 0; i < edits; ++i) {
        static wchar_t text[4096];
        text[0] = L'\0';
        readText(textKeys[i], text, 4096);
        pageControls[i] = CreateWindowExW(0, L"EDIT", text, WS_CHILD | WS_VISIBLE | WS_BORDER | (i == 2 ? ES_PASSWORD : 0),
            event.x, event.y + 24 * i, 200, 20, event.parent, nullptr, module, nullptr);
    }
    for (int i = 0; i < checks; ++i) {
        INT32 checked = 1;
        readInt(checkKeys[i], &checked);
        pageControls[edits + i] = CreateWindowExW(0, L"BUTTON", L"pole", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
            event.x, event.y + 170 + 16 * i, 200, 16, event.parent, nullptr, module, nullptr);
        SendMessageW(pageControls[edits + i], BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    for (int i = 0; i < 2; ++i) {
        INT32 chosen = 0;
        readInt(listKeys[i], &chosen);
        HWND& list = pageControls[edits + checks + i];
        list = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, event.x,
            event.y + 250 + 30 * i, 200, 100, event.parent, nullptr, module, nullptr);
        for (const wchar_t* choice : {L"jeden", L"dwa", L"trzy"})
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
        SendMessageW(list, CB_SETCURSEL, chosen, 0);
    }
}

void savePage()
{
    for (int i = 0; i < edits; ++i) {
        wchar_t text[4096];
        GetWindowTextW(pageControls[i], text, 4096);
        writeText(textKeys[i], text);
    }
    for (int i = 0; i < checks; ++i)
        writeInt(checkKeys[i], SendMessageW(pageControls[edits + i], BM_GETCHECK, 0, 0) == BST_CHECKED);
    for (int i = 0; i < 2; ++i)
        writeInt(listKeys[i], INT32(SendMessageW(pageControls[edits + checks + i], CB_GETCURSEL, 0, 0)));
    call(L"WTW/Settings/Write", settings);
}

void destroyPage()
{
    for (HWND& control : pageControls) {
        DestroyWindow(control);
        control = nullptr;
    }
}

INT_PTR __cdecl onOptionsPage(WPARAM wParam, LPARAM, void*)
{
    auto event = reinterpret_cast<OptionsPageEvent*>(wParam);
    say(L"options %u", unsigned(event->action));
    wcscpy(event->caption, L"Test");
    wcscpy(event->description, L"Strona testowa");
    if (!pageControls[0])
        createPage(*event);
    if (event->action == OptionsPageShow || event->action == OptionsPageHide) {
        for (HWND control : pageControls)
            ShowWindow(control, event->action == OptionsPageShow ? SW_SHOW : SW_HIDE);
    }
    if (event->action == OptionsPageSave)
        savePage();
    if (event->action == OptionsPageSave || event->action == OptionsPageCancel)
        destroyPage();
    return 0;
}

void addMenuItem(const wchar_t* itemId, const wchar_t* menuId, const wchar_t* caption, HostHandler handler)
{
    MenuItemInfo item = {};
    item.size = sizeof(item);
    item.itemId = itemId;
    item.menuId = menuId;
    item.caption = caption;
    item.handler = handler;
    call(L"WTW/Menu/Add", &item);
}

void removeMenuItem(const wchar_t* itemId, const wchar_t* menuId)
{
    MenuItemInfo item = {};
    item.size = sizeof(item);
    item.itemId = itemId;
    item.menuId = menuId;
    call(L"WTW/Menu/Remove", &item);
}

}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID)
{
    module = instance;
    return TRUE;
}

extern "C" {

const PluginInfo* __cdecl queryPlugInfo(DWORD_PTR, DWORD_PTR)
{
    return &info;
}

int __cdecl pluginLoad(DWORD_PTR, HostFunctionTable* table)
{
    host = table;
    say(L"load");
    openSettings();
    checkSettings();
    OptionsPageInfo page = {sizeof(page), pageId, L"WTW/Group/Plugz", L"Test", {0, 0, 0}, onOptionsPage, nullptr, 0};
    call(L"WTW/AddOptionsPage", module, reinterpret_cast<LPARAM>(&page));
    addMenuItem(L"Test/send", L"WTW/Menu/Contact/Send", L"Wyślij plik na FTP...", onSend);
    addMenuItem(L"Test/clean", L"WTW/Menu/Main/Opt", L"Usuń wszystkie pliki na serwerze FTP", onClean);
    rebuildHook = host->hookEvent(L"WTW/OnMenuRebuild", onRebuild, nullptr);
    if (!host->functionExists(L"wtwSkarvelin/sendFile"))
        sendFileFunction = host->createFunction(L"wtwSkarvelin/sendFile", onSendFile, nullptr);
    return 0;
}

int __cdecl pluginUnload(DWORD_PTR)
{
    say(L"unload");
    host->destroyFunction(sendFileFunction);
    call(L"WTW/RemoveOptionsPage", module, reinterpret_cast<LPARAM>(pageId));
    call(L"WTW/Settings/Destroy", settings);
    removeMenuItem(L"Test/send", L"WTW/Menu/Contact/Send");
    removeMenuItem(L"Test/clean", L"WTW/Menu/Main/Opt");
    host->unhookEvent(rebuildHook);
    destroyPage();
    return 0;
}
}
