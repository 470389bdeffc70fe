// The list of sent files: the main-menu command that opens its window, the
// removal the window starts as a job, and the expiry, started at load and
// then once a day while the plug-in is loaded.
#pragma once

#include "plugin/SentFileRecord.h"

#include <windows.h>

#include <vector>

namespace SentFilesCommand {
INT_PTR __cdecl onMenuCommand(WPARAM wParam, LPARAM lParam, void* userData);
// False when the job could not be started.
bool startRemoval(const std::vector<SentFileRecord>& records);
// On the messenger's thread: the first expiry now, the next ones by a timer.
void startExpiry();
void stopExpiry();
}
