#include "commands/SentFilesCommand.h"

#include "jobs/SentDeleteThread.h"
#include "jobs/SentExpiryThread.h"
#include "jobs/ThreadManager.h"
#include "plugin/HostLog.h"
#include "plugin/PluginState.h"
#include "plugin/SentFiles.h"
#include "ui/HostWindow.h"
#include "ui/SentFilesWindow.h"

namespace SentFilesCommand {

namespace {

const UINT expiryIntervalMs = 24 * 60 * 60 * 1000;
UINT_PTR expiryTimer = 0;

// Most users never turn expiry on; for them no thread starts.
void runExpiry()
{
    if (pluginState.threadManager && SentFiles::expireDays() > 0)
        pluginState.threadManager->startJob(new Vornix::SentExpiryThread());
}

VOID CALLBACK onExpiryTimer(HWND, UINT, UINT_PTR, DWORD)
{
    try {
        runExpiry();
    } catch (...) {
        Vornix::logCaughtException(L"expiry");
    }
}

}

INT_PTR __cdecl onMenuCommand(WPARAM, LPARAM, void* userData)
{
    auto state = static_cast<PluginState*>(userData);
    if (!state)
        return 0;
    try {
        SentFilesWindow::open(state->moduleHandle, HostWindow::find());
    } catch (...) {
        Vornix::logCaughtException(L"Vornix/sentFiles");
    }
    return 0;
}

bool startRemoval(const std::vector<SentFileRecord>& records)
{
    if (!pluginState.threadManager)
        return false;
    auto job = new Vornix::SentDeleteThread(records);
    bool started = job->getHandle() != nullptr;
    pluginState.threadManager->startJob(job);
    return started;
}

void startExpiry()
{
    runExpiry();
    expiryTimer = SetTimer(nullptr, 0, expiryIntervalMs, onExpiryTimer);
}

void stopExpiry()
{
    if (expiryTimer)
        KillTimer(nullptr, expiryTimer);
    expiryTimer = 0;
}

}
