// The options page's "Więcej ustawień..." dialog: its template's id and its
// controls', for its template (MoreSettingsDialog.rc) and its code. Plain
// defines: the resource compiler reads them too.
#pragma once

#define IDD_MORE_SETTINGS 103

#define IDC_MORE_TLS_LIST 1201
#define IDC_MORE_PROTOCOL_LIST 1202
#define IDC_MORE_KEY_FILE_EDIT 1203
#define IDC_MORE_COPY_LINK_CHECK 1204
#define IDC_MORE_EXPIRE_DAYS_EDIT 1205
#define IDC_MORE_RANDOM_PREFIX_CHECK 1206
#define IDC_MORE_VERIFY_LINK_CHECK 1207
