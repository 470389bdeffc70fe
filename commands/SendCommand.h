// The two ways an upload starts: the contact-menu command and the host
// function "wtwSkarvelin/sendFile" that other plug-ins call.
#pragma once

#include <windows.h>

class SendCommand {
public:
    // lParam: the host's MenuCommandInfo for the contact whose menu was opened.
    static INT_PTR __cdecl onMenuCommand(WPARAM wParam, LPARAM lParam, void* userData);
    // wParam: a SendFileRequest; -1 when it is null, else 0.
    static INT_PTR __cdecl onCompatSendFile(WPARAM wParam, LPARAM lParam, void* userData);
};
