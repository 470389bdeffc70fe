#include "ui/SentFilesWindow.h"

#include "plugin/HostLog.h"
#include "plugin/SentFiles.h"
#include "ui/LinkClipboard.h"
#include "ui/ProgressText.h"
#include "ui/Texts.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <cwchar>
#include <iterator>

namespace {

const UINT listChangedMessage = RegisterWindowMessageW(L"VornixSentFilesChanged");

std::atomic<HWND> openWindow(nullptr);
SentFilesWindow::RemovalStarter removalStarter = nullptr;
// Row i of the open window shows shown[i]. Used on the window's thread only.
std::vector<SentFileRecord> shown;

struct Column {
    const wchar_t* title;
    int width;
};
const Column columns[] = {{L"Nazwa", 140}, {L"Kontakt", 80}, {L"Data", 100}, {L"Rozmiar", 60}, {L"Link", 230}};

HWND listOf(HWND window)
{
    return GetDlgItem(window, IDC_SENT_LIST);
}

std::wstring dateOf(int64_t sentAt)
{
    __time64_t time = sentAt;
    tm local = {};
    wchar_t text[32] = L"";
    if (_localtime64_s(&local, &time) == 0)
        wcsftime(text, 32, L"%Y-%m-%d %H:%M", &local);
    return text;
}

std::wstring sizeOf(int64_t size)
{
    std::string text = ProgressText::formatSize(static_cast<float>(size));
    return std::wstring(text.begin(), text.end());
}

void addColumns(HWND list)
{
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    for (int i = 0; i < int(std::size(columns)); ++i) {
        column.pszText = const_cast<wchar_t*>(columns[i].title);
        column.cx = columns[i].width;
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

void setCell(HWND list, int row, int column, const std::wstring& text)
{
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

// Newest first; of one second, the one recorded later first.
void fill(HWND window)
{
    std::vector<SentFileRecord> records = SentFiles::all();
    std::reverse(records.begin(), records.end());
    std::stable_sort(records.begin(), records.end(),
                     [](const SentFileRecord& a, const SentFileRecord& b) { return a.sentAt > b.sentAt; });
    shown = records;
    HWND list = listOf(window);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (int row = 0; row < int(shown.size()); ++row) {
        const SentFileRecord& record = shown[row];
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(record.name.c_str());
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        setCell(list, row, 1, record.contact);
        setCell(list, row, 2, dateOf(record.sentAt));
        setCell(list, row, 3, sizeOf(record.size));
        setCell(list, row, 4, record.link);
    }
}

std::vector<SentFileRecord> selected(HWND window)
{
    std::vector<SentFileRecord> records;
    HWND list = listOf(window);
    for (int row = -1; (row = int(SendMessageW(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;)
        if (row < int(shown.size()))
            records.push_back(shown[row]);
    return records;
}

void copyLinks(HWND window)
{
    std::wstring links;
    for (const SentFileRecord& record : selected(window))
        if (!record.link.empty())
            links += (links.empty() ? L"" : L"\r\n") + record.link;
    if (!links.empty())
        LinkClipboard::copy(window, links);
}

bool isWebLink(const std::wstring& link)
{
    return _wcsnicmp(link.c_str(), L"http://", 7) == 0 || _wcsnicmp(link.c_str(), L"https://", 8) == 0;
}

// Only a web address goes to the shell: a link made from a mistyped
// setting could name a program.
void openLinks(HWND window)
{
    for (const SentFileRecord& record : selected(window)) {
        if (record.link.empty())
            continue;
        if (!isWebLink(record.link)) {
            MessageBoxW(window, Texts::linkNotWeb, L"Vornix", MB_ICONWARNING);
            return;
        }
        ShellExecuteW(window, L"open", record.link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

void startRemoval(HWND window)
{
    std::vector<SentFileRecord> records = selected(window);
    if (records.empty() || !removalStarter)
        return;
    HWND button = GetDlgItem(window, IDC_SENT_DELETE_BUTTON);
    EnableWindow(button, FALSE);
    if (!removalStarter(records))
        EnableWindow(button, TRUE);
}

INT_PTR onCommand(HWND window, WORD command)
{
    switch (command) {
    case IDC_SENT_COPY_BUTTON:
        copyLinks(window);
        return TRUE;
    case IDC_SENT_OPEN_BUTTON:
        openLinks(window);
        return TRUE;
    case IDC_SENT_DELETE_BUTTON:
        startRemoval(window);
        return TRUE;
    case IDC_SENT_CLOSE_BUTTON:
        DestroyWindow(window);
        return TRUE;
    default:
        return FALSE;
    }
}

}

void SentFilesWindow::setRemovalStarter(RemovalStarter starter)
{
    removalStarter = starter;
}

HWND SentFilesWindow::open(HINSTANCE module, HWND owner)
{
    if (HWND window = openWindow.load()) {
        fill(window);
        SetForegroundWindow(window);
        return window;
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND window = CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_SENT_FILES_WINDOW), owner, dialogProc, 0);
    if (window)
        ShowWindow(window, SW_SHOW);
    return window;
}

void SentFilesWindow::listChanged(bool removalEnded)
{
    if (HWND window = openWindow.load())
        PostMessageW(window, listChangedMessage, removalEnded ? 1 : 0, 0);
}

void SentFilesWindow::close()
{
    if (HWND window = openWindow.load())
        DestroyWindow(window);
}

INT_PTR CALLBACK SentFilesWindow::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    try {
        if (message == WM_INITDIALOG) {
            openWindow = window;
            addColumns(listOf(window));
            fill(window);
            return TRUE;
        }
        if (message == WM_COMMAND)
            return onCommand(window, LOWORD(wParam));
        if (message == listChangedMessage) {
            if (wParam)
                EnableWindow(GetDlgItem(window, IDC_SENT_DELETE_BUTTON), TRUE);
            fill(window);
            return TRUE;
        }
        if (message == WM_NCDESTROY) {
            openWindow = nullptr;
            shown.clear();
        }
    } catch (...) {
        Vornix::logCaughtException(L"sent files window");
    }
    return FALSE;
}
