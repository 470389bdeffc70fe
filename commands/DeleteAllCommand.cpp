#include "commands/DeleteAllCommand.h"

#include "jobs/FtpDelAllThread.h"
#include "jobs/ThreadManager.h"
#include "plugin/HostLog.h"
#include "plugin/PluginState.h"

INT_PTR __cdecl DeleteAllCommand::onMenuCommand(WPARAM, LPARAM, void* userData)
{
    auto state = static_cast<PluginState*>(userData);
    if (!state || !state->threadManager)
        return 0;
    try {
        state->threadManager->startJob(new Vornix::FtpDelAllThread());
    } catch (...) {
        Vornix::logCaughtException(L"Vornix/delAll");
    }
    return 0;
}
