// vornix-host.exe [options] command [arguments]: what one run of the host does.
#pragma once

#include "host/ContactList.h"

#include <windows.h>

#include <string>
#include <vector>

class CommandLine {
public:
    struct UsageError {
        std::wstring message;
    };

    // Throws UsageError. Defaults are beside the host's own executable, hostDir.
    CommandLine(const std::vector<std::wstring>& arguments, const std::wstring& hostDir);

    // Unix paths ("/work/x") become Wine's drive Z: ("Z:\work\x"); others pass unchanged.
    static std::wstring windowsPath(const std::wstring& path);
    // The options page's values in the order its boxes appear.
    static const std::vector<std::wstring>& optionKeys();
    static const wchar_t* usage();
    // What is typed into the file dialog's name box, each followed by OK:
    // one file's path; for several, their deepest common folder (the dialog
    // goes there), then their paths relative to it, each in double quotes and
    // separated by spaces, as a person types a multiple choice. Empty without
    // a file.
    std::vector<std::wstring> fileDialogEntries() const;

    std::wstring pluginPath;
    std::wstring profileDir;
    std::vector<Contact> contacts;
    // What the file-open dialog picks: one path, or several as one multiple choice.
    std::vector<std::wstring> files;
    bool answerYes;
    LONGLONG abortAt;  // negative: never
    std::wstring abortOn;  // empty: never
    DWORD timeoutSeconds;
    DWORD unloadAfterSeconds;  // 0: wait until the plug-in is idle; else quit then, as a user closing the messenger
    DWORD runs;                // load, command, unload and free the plug-in this many times in one process
    DWORD cancelCheckAfterMs;  // check: press its cancel this long after "Sprawdź"; 0: never
    bool forgetContact;        // overwrite and free the contact's texts once the call that passed them returns
    bool typing;               // the first contact's conversation has the focus as the command runs
    std::wstring command;
    std::vector<std::wstring> commandArguments;

private:
    size_t option(const std::vector<std::wstring>& arguments, size_t index);
    void checkCommand() const;
    static size_t commonFolderLength(const std::vector<std::wstring>& paths);
    static Contact contact(const std::wstring& text);
    static LONGLONG number(const std::wstring& option, const std::wstring& text, LONGLONG lowest, LONGLONG highest);
};
