// The plug-in's page in the host's options window: labelled edit boxes, three
// check boxes, a labelled drop-down list of the three TLS choices and one of
// the protocols, the days after which sent files are removed, and
// "Sprawdź", which checks the values in the boxes (saved
// or not) and turns into "Anuluj" while the check runs.
#pragma once

#include "remote/FtpSettings.h"
#include "ui/CheckControl.h"

#include <windows.h>

#include <memory>
#include <string>

struct OptionsPageControls {
    enum Slot {
        FtpHostEdit, UsernameEdit, PasswordEdit, DirEdit, HttpHostEdit, KeyFileEdit,
        FtpHostLabel, UsernameLabel, PasswordLabel, DirLabel, HttpHostLabel, KeyFileLabel,
        LinksOnlyShownCheck, AutoCloseCheck, CopyLinkCheck, TlsLabel, TlsList, ProtocolLabel, ProtocolList,
        ExpireDaysLabel, ExpireDaysEdit, ExpireDaysUnit, CheckPanel, Count
    };
    HWND windows[Count];
    HWND checkButton;                     // inside CheckPanel, which hears its clicks
    std::shared_ptr<CheckControl> check;  // the running check, if any
};

class OptionsPage {
public:
    // Starts the check; false when it could not.
    typedef bool (*CheckStarter)(const FtpSettings::Values& values, const std::wstring& webAddress,
                                 const std::shared_ptr<CheckControl>& control);
    // Set once at load, before the page exists.
    static void setCheckStarter(CheckStarter starter);

    // The page's host handler; wParam is an OptionsPageEvent. Returns 0.
    static INT_PTR __cdecl onOptionsPageEvent(WPARAM wParam, LPARAM lParam, void* userData);

    static OptionsPageControls* createControls(HWND parent, HINSTANCE module, int x, int y, int width);
    static void showControls(OptionsPageControls* controls);
    static void hideControls(OptionsPageControls* controls);
    static void saveControls(OptionsPageControls* controls);
    static void destroyControls(OptionsPageControls* controls);
};
