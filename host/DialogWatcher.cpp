#include "host/DialogWatcher.h"

#include "host/Text.h"
#include "host/Transcript.h"
#include "ui/ProgressWindowIds.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

namespace {

const DWORD scanPeriodMs = 25;
const DWORD fileRetryMs = 1000;
const DWORD fileFolderMs = 300;  // for the dialog to go into a folder typed
const int messageTextId = 0xFFFF;
const int fileNameId = 0x47C;

// Reads without sending a message: the window's thread may be busy.
std::wstring storedText(HWND window)
{
    wchar_t text[8192] = L"";
    InternalGetWindowText(window, text, 8192);
    return text;
}

HINSTANCE instanceOf(HWND window)
{
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
}

void click(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

BOOL CALLBACK collect(HWND window, LPARAM list)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && wcscmp(name, L"#32770") == 0)
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

bool present(const std::vector<HWND>& dialogs, HWND dialog)
{
    return std::find(dialogs.begin(), dialogs.end(), dialog) != dialogs.end();
}

// Window handles are reused: what is known of a window ends with it.
void forgetGone(std::set<HWND>& known, const std::vector<HWND>& dialogs)
{
    for (auto item = known.begin(); item != known.end();)
        item = present(dialogs, *item) ? std::next(item) : known.erase(item);
}

}

DialogWatcher::DialogWatcher(Transcript& transcript, HMODULE plugin, const Answers& answers)
    : transcript(transcript), plugin(plugin), answers(answers), thread(nullptr),
      stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)), started(GetTickCount())
{
}

DialogWatcher::~DialogWatcher()
{
    stop();
    CloseHandle(stopEvent);
}

void DialogWatcher::start()
{
    started = GetTickCount();
    thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
}

void DialogWatcher::stop()
{
    if (!thread)
        return;
    SetEvent(stopEvent);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    thread = nullptr;
}

bool DialogWatcher::foreignDialogOpen(HMODULE plugin)
{
    std::vector<HWND> dialogs = visibleDialogs();
    return std::any_of(dialogs.begin(), dialogs.end(), [&](HWND dialog) { return instanceOf(dialog) != plugin; });
}

DWORD WINAPI DialogWatcher::run(LPVOID self)
{
    auto watcher = static_cast<DialogWatcher*>(self);
    while (WaitForSingleObject(watcher->stopEvent, scanPeriodMs) == WAIT_TIMEOUT) {
        if (GetTickCount() - watcher->started >= watcher->answers.timeoutSeconds * 1000)
            watcher->giveUp();
        watcher->scan();
    }
    return 0;
}

void DialogWatcher::scan()
{
    std::vector<HWND> dialogs = visibleDialogs();
    forgetGone(answered, dialogs);
    forgetGone(aborted, dialogs);
    for (auto item = fileAnswers.begin(); item != fileAnswers.end();)
        item = present(dialogs, item->first) ? std::next(item) : fileAnswers.erase(item);

    for (HWND dialog : dialogs) {
        if (instanceOf(dialog) == plugin)
            pressAbort(dialog);
        else if (GetDlgItem(dialog, fileNameId))
            answerFileDialog(dialog);
        else if (GetDlgItem(dialog, messageTextId))
            answerMessageBox(dialog);
    }
}

void DialogWatcher::answerMessageBox(HWND dialog)
{
    if (!answered.insert(dialog).second)
        return;
    transcript.line(L"message box \"" + storedText(dialog) + L"\": " + storedText(GetDlgItem(dialog, messageTextId)));
    if (GetDlgItem(dialog, IDYES))
        click(dialog, answers.yes ? IDYES : IDNO);
    else
        click(dialog, GetDlgItem(dialog, IDOK) ? IDOK : IDCANCEL);
}

// A dialog disabled by a box of its own ("file not found") waits for that box first.
void DialogWatcher::answerFileDialog(HWND dialog)
{
    if (!IsWindowEnabled(dialog))
        return;
    const std::vector<std::wstring>& entries = answers.fileEntries;
    FileAnswer& answer = fileAnswers.emplace(dialog, FileAnswer{GetTickCount(), 0}).first->second;
    bool last = answer.entries == entries.size();
    if (answer.entries > 0 && GetTickCount() - answer.at < (last ? fileRetryMs : fileFolderMs))
        return;
    answer.at = GetTickCount();
    if (last) {
        click(dialog, IDCANCEL);
        return;
    }
    const std::wstring& entry = entries[answer.entries++];
    DWORD_PTR result = 0;
    std::string ansiEntry = Text::ansi(entry);
    LPARAM text = IsWindowUnicode(dialog) ? reinterpret_cast<LPARAM>(entry.c_str())
                                          : reinterpret_cast<LPARAM>(ansiEntry.c_str());
    SendMessageTimeoutW(dialog, CDM_SETCONTROLTEXT, fileNameId, text, SMTO_BLOCK, 2000, &result);
    click(dialog, IDOK);
}

void DialogWatcher::pressAbort(HWND dialog)
{
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    if (!bar || !GetDlgItem(dialog, IDC_ABORT_BUTTON) || aborted.count(dialog))
        return;
    if (barReached(bar) || showsText(dialog, answers.abortOn)) {
        aborted.insert(dialog);
        click(dialog, IDC_ABORT_BUTTON);
    }
}

bool DialogWatcher::barReached(HWND bar) const
{
    DWORD_PTR position = 0;
    return answers.abortAt >= 0 &&
           SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, 500, &position) &&
           static_cast<LONGLONG>(position) >= answers.abortAt;
}

// Whether a child of `dialog` reads a text that holds `text`.
bool DialogWatcher::showsText(HWND dialog, const std::wstring& text)
{
    if (text.empty())
        return false;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t buffer[512] = {};
        DWORD_PTR length = 0;
        if (SendMessageTimeoutW(child, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer),
                                SMTO_BLOCK | SMTO_ABORTIFHUNG, 500, &length) &&
            std::wstring(buffer).find(text) != std::wstring::npos)
            return true;
    }
    return false;
}

// The plug-in or a dialog hangs: end at once, whatever thread is stuck where.
void DialogWatcher::giveUp()
{
    transcript.note(L"timed out after " + std::to_wstring(answers.timeoutSeconds) + L" s");
    transcript.seal();
    TerminateProcess(GetCurrentProcess(), 3);
}

std::vector<HWND> DialogWatcher::visibleDialogs()
{
    std::vector<HWND> dialogs;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}
