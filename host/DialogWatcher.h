// Answers dialogs the way UI automation does, so that nothing waits for a person:
// a thread looks at the process's visible #32770 windows every few milliseconds.
// - A message box (raised on any thread) is written to the transcript and answered
//   with WM_COMMAND: IDYES or IDNO for a question, else IDOK.
// - The Explorer-style file-open dialog gets each entry in its name box in
//   turn (CDM_SETCONTROLTEXT on 0x47C, in the dialog's own character set) and
//   IDOK: the chosen file, or for several their folder and then their names;
//   without a file, or when it is still there a second after the last entry,
//   IDCANCEL.
// - A progress window of the plug-in gets its "Przerwij" button pressed once its bar
//   has reached the given position.
// It also ends the process when the run takes longer than allowed.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

class Transcript;

class DialogWatcher {
public:
    struct Answers {
        std::vector<std::wstring> fileEntries;  // typed in turn, each with OK; none: cancel
        bool yes;
        LONGLONG abortAt;  // negative: never press "Przerwij"
        std::wstring abortOn;  // press it once a text of the window holds this; empty: never
        DWORD timeoutSeconds;
    };

    DialogWatcher(Transcript& transcript, HMODULE plugin, const Answers& answers);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    void start();
    void stop();

    // Whether a visible dialog of this process that is not the plug-in's own (a
    // message box, a file dialog) is up; any thread may ask.
    static bool foreignDialogOpen(HMODULE plugin);

private:
    static DWORD WINAPI run(LPVOID self);
    void scan();
    void answerMessageBox(HWND dialog);
    void answerFileDialog(HWND dialog);
    void pressAbort(HWND dialog);
    bool barReached(HWND bar) const;
    static bool showsText(HWND dialog, const std::wstring& text);
    void giveUp();
    static std::vector<HWND> visibleDialogs();

    Transcript& transcript;
    HMODULE plugin;
    Answers answers;
    HANDLE thread;
    HANDLE stopEvent;
    DWORD started;
    std::set<HWND> answered;
    struct FileAnswer {
        DWORD at;
        size_t entries;  // how many were typed
    };
    std::map<HWND, FileAnswer> fileAnswers;
    std::set<HWND> aborted;
};
