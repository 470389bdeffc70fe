#include "commands/CheckCommand.h"

#include "jobs/SettingsCheckThread.h"
#include "jobs/ThreadManager.h"
#include "plugin/PluginState.h"

namespace CheckCommand {

bool start(const FtpSettings::Values& values, const std::wstring& webAddress,
           const std::shared_ptr<CheckControl>& control)
{
    if (!pluginState.threadManager)
        return false;
    auto job = new Vornix::SettingsCheckThread(values, webAddress, control);
    bool started = job->getHandle() != nullptr;
    pluginState.threadManager->startJob(job);
    return started;
}

}
