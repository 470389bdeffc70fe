// The upload's progress window: a modeless dialog from its template that
// belongs to the thread creating it. Jobs on other threads fill it only by
// posted messages and ask whether "Przerwij" was pressed through its "ABORT"
// property or the flag it shares with them; the window holds no reference to
// its job.
#pragma once

#include "ui/ProgressWindowIds.h"

#include <windows.h>

#include <atomic>
#include <memory>

class ProgressWindow {
public:
    enum ControlId {
        Caption = -1,  // the window's own caption, as a text target
        CloseButton = IDC_CLOSE_BUTTON,
        AbortButton = IDC_ABORT_BUTTON,
        ProgressBar = IDC_PROGRESS_BAR,
        NameLabel = IDC_NAME_LABEL,
        ProgressLabel = IDC_PROGRESS_LABEL,
        SpeedLabel = IDC_SPEED_LABEL,
        RemainingLabel = IDC_REMAINING_LABEL,
    };
    enum { TemplateId = IDD_PROGRESS_WINDOW };

    // "VornixsetDialogTxtA" and "VornixsetDialogTxtW": wParam the control id
    // (or Caption), lParam a GlobalAlloc'd fixed block holding the text, which
    // the window frees. Registered when the module is loaded.
    static const UINT setDialogTxtA;
    static const UINT setDialogTxtW;

    // The window, hidden, owned by owner (may be null); null on failure. The
    // template comes from module; "msctls_progress32" must be registered.
    static HWND create(HINSTANCE module, HWND owner);

    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Posts a copy of text (8-bit in the ANSI code page, or UTF-16) for a
    // control or the caption. False when the window is gone (or null); the
    // copy is then freed here. Never waits for the window's thread.
    static bool postText(HWND window, int controlId, const char* text);
    static bool postText(HWND window, int controlId, const wchar_t* text);

    // Whether "Przerwij" has been pressed, as a flag in memory that the
    // button sets along with "ABORT": read for every chunk, where the
    // property would cost a call to Wine's server each time. The job keeps
    // its share after the window is gone. Null for a null or destroyed
    // window.
    static std::shared_ptr<const std::atomic<bool>> abortFlag(HWND window);

    // Closes every progress window of this process; called at unload so that
    // no window outlives the code of its dialog procedure. A window of another
    // thread gets the close command and a bounded time to act on it; if it is
    // still there, our module stays mapped until the process ends.
    static void closeAll();
};
