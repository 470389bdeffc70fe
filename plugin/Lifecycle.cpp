#include "Lifecycle.h"

#include "PluginState.h"

namespace Lifecycle {

int load(HostFunctionTable* host)
{
    pluginState.host = host;
    return 0;
}

int unload()
{
    return 0;
}

INT_PTR __cdecl onMenuRebuild(WPARAM, LPARAM, void*)
{
    return 0;
}

}
