// The main-menu command that empties the server directory.
#pragma once

#include <windows.h>

class DeleteAllCommand {
public:
    static INT_PTR __cdecl onMenuCommand(WPARAM wParam, LPARAM lParam, void* userData);
};
