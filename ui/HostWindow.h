// The messenger's main window, owner of the plug-in's dialogs and boxes.
#pragma once

#include <windows.h>

namespace HostWindow {
// Found by its window class alone; null when the host has none.
HWND find();
}
