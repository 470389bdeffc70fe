// The options page's "Więcej ustawień..." dialog: the settings beyond the
// page's own, which its area has no room for (the encryption, the protocol,
// the SSH key file, copying links, random name prefixes, the links'
// check and the expiry of sent files). The dialog
// edits a copy the page keeps; the page saves it with its own values.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct MoreSettings {
    int32_t tls = 0;       // the position of the choice: the stored value of SettingKeys::tls
    int32_t protocol = 0;  // 0 FTP, 1 SFTP
    std::wstring keyFile;
    bool copyLink = false;
    bool randomPrefix = false;
    bool verifyLink = true;
    int32_t expireDays = 0;

    // As stored, or their defaults.
    static MoreSettings read();
};

class MoreSettingsDialog {
public:
    // Modal, owned by `owner`. On OK the values shown go into `settings`
    // and true is returned; Cancel leaves them as they were.
    static bool edit(HINSTANCE module, HWND owner, MoreSettings& settings);

    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};
