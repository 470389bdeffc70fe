// What pluginLoad registers with the host and pluginUnload removes again.
#pragma once

#include "plugin/HostInterface.h"

namespace Lifecycle {
int load(HostFunctionTable* host);
int unload();
INT_PTR __cdecl onMenuRebuild(WPARAM wParam, LPARAM lParam, void* userData);
}
