// Answers dialogs the way UI automation does, so that nothing waits for a person:
// a thread looks at the process's visible #32770 windows every few milliseconds.
// - A message box (raised on any thread) is written to the transcript and answered
//   with WM_COMMAND: IDYES or IDNO for a question, else IDOK.
// - The Explorer-style file-open dialog gets the chosen file in its name box
//   (CDM_SETCONTROLTEXT on 0x47C, in the dialog's own character set; several
//   files each in double quotes, as a person types them) and IDOK; without
//   a file, or when it is still there a second after that, IDCANCEL.
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
        bool haveFile;
        std::wstring file;
        bool yes;
        LONGLONG abortAt;  // negative: never press "Przerwij"
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
    void giveUp();
    static std::vector<HWND> visibleDialogs();

    Transcript& transcript;
    HMODULE plugin;
    Answers answers;
    HANDLE thread;
    HANDLE stopEvent;
    DWORD started;
    std::set<HWND> answered;
    std::map<HWND, DWORD> fileAnsweredAt;
    std::set<HWND> aborted;
};
