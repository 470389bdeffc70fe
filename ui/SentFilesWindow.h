// The list of the files the plug-in sent, newest first, in a modeless dialog
// on the messenger's thread: name, contact, date, size and link of each, with
// "Kopiuj link", "Otwórz link" and "Usuń z serwera" for the rows selected.
// The removal runs as a job; the window only starts it and shows the list
// again when it ends. One window at a time.
#pragma once

#include "plugin/SentFileRecord.h"
#include "ui/SentFilesWindowIds.h"

#include <windows.h>

#include <vector>

class SentFilesWindow {
public:
    // Starts the removal of the records from their server; false when it
    // could not start.
    typedef bool (*RemovalStarter)(const std::vector<SentFileRecord>& records);
    // Set once at load, before the window exists.
    static void setRemovalStarter(RemovalStarter starter);

    // Opens the window (or brings the open one forward) with the list read
    // afresh; null when it cannot be made.
    static HWND open(HINSTANCE module, HWND owner);

    // From any thread: the list changed, so the window reads it again;
    // `removalEnded` also gives "Usuń z serwera" back.
    static void listChanged(bool removalEnded);

    // At unload, on the messenger's thread, so that no window outlives the
    // code of its dialog procedure.
    static void close();

    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
