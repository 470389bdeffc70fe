// What the options page and its running check of the settings share: the
// page's cancel, and the window told when the check ends (none once the
// page is gone, so a late check tells no one).
#pragma once

#include <windows.h>

#include <atomic>

struct CheckControl {
    static const UINT endedMessage = WM_APP + 0x56;

    std::atomic<bool> cancelled{false};
    std::atomic<HWND> notify{nullptr};
};
