// The list of sent files: its template's id and its controls', for its
// template (SentFilesWindow.rc), its code and the stand-in messenger, which
// reads the list and presses its buttons. Plain defines: the resource
// compiler reads them too.
#pragma once

#define IDD_SENT_FILES_WINDOW 102

// IDCANCEL, so Esc and the caption's close box close the window as well.
#define IDC_SENT_CLOSE_BUTTON 2

#define IDC_SENT_LIST 1101
#define IDC_SENT_COPY_BUTTON 1102
#define IDC_SENT_OPEN_BUTTON 1103
#define IDC_SENT_DELETE_BUTTON 1104
