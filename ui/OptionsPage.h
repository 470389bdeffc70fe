// The plug-in's page in the host's options window: five labelled edit boxes
// and two check boxes, then "Sprawdź", which checks the values in the boxes
// (saved or not) and turns into "Anuluj" while the check runs, and "Więcej
// ustawień...", which opens the dialog of the settings the page has no room
// for. The host gives the page no height: all of it stands within y + 330,
// the reach of the layout every messenger's options area makes room for.
#pragma once

#include "remote/FtpSettings.h"
#include "ui/CheckControl.h"
#include "ui/MoreSettingsDialog.h"

#include <windows.h>

#include <memory>
#include <string>

struct OptionsPageControls {
    enum Slot {
        FtpHostEdit, UsernameEdit, PasswordEdit, DirEdit, HttpHostEdit,
        FtpHostLabel, UsernameLabel, PasswordLabel, DirLabel, HttpHostLabel,
        LinksOnlyShownCheck, AutoCloseCheck, ButtonPanel, Count
    };
    HWND windows[Count];
    HWND checkButton;                     // inside ButtonPanel, which hears its clicks
    HWND moreButton;                      // inside ButtonPanel too
    HINSTANCE module;
    MoreSettings more;                    // as the dialog last left them; saved with the page
    bool passwordUnreadable;              // stored protected where this user cannot unprotect it
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
