// The plug-in's page in the host's options window: labelled edit boxes, three
// check boxes, a labelled drop-down list of the three TLS choices and one of
// the protocols.
#pragma once

#include <windows.h>

struct OptionsPageControls {
    enum Slot {
        FtpHostEdit, UsernameEdit, PasswordEdit, DirEdit, HttpHostEdit, KeyFileEdit,
        FtpHostLabel, UsernameLabel, PasswordLabel, DirLabel, HttpHostLabel, KeyFileLabel,
        LinksOnlyShownCheck, AutoCloseCheck, CopyLinkCheck, TlsLabel, TlsList, ProtocolLabel, ProtocolList,
        Count
    };
    HWND windows[Count];
};

class OptionsPage {
public:
    // The page's host handler; wParam is an OptionsPageEvent. Returns 0.
    static INT_PTR __cdecl onOptionsPageEvent(WPARAM wParam, LPARAM lParam, void* userData);

    static OptionsPageControls* createControls(HWND parent, HINSTANCE module, int x, int y, int width);
    static void showControls(OptionsPageControls* controls);
    static void hideControls(OptionsPageControls* controls);
    static void saveControls(OptionsPageControls* controls);
    static void destroyControls(OptionsPageControls* controls);
};
