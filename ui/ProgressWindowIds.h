// The progress window's template and control ids, for its template
// (ProgressWindow.rc), its code and the stand-in messenger, which watches the
// bar and presses "Przerwij". Plain defines: the resource compiler reads them too.
#pragma once

#define IDD_PROGRESS_WINDOW 101

// IDCANCEL, so Esc and the caption's close box close the window as well.
#define IDC_CLOSE_BUTTON 2
#define IDC_ABORT_BUTTON 3

#define IDC_PROGRESS_BAR 1001
#define IDC_NAME_LABEL 1002
#define IDC_PROGRESS_LABEL 1003
#define IDC_SPEED_LABEL 1004
#define IDC_REMAINING_LABEL 1005
