// The options page's check of the settings as they stand in its boxes, on a
// thread of its own: connect, log in, enter the directory, store a small
// probe file, fetch it through its link and compare, remove it. The probe is
// removed whatever fails after it was stored, and after a cancel too. One
// box lists the steps, unless the check was cancelled or stopped.
#pragma once

#include "jobs/JobThread.h"
#include "remote/FtpSettings.h"
#include "ui/CheckControl.h"
#include "ui/CheckReport.h"

#include <memory>
#include <string>

class RemoteFolder;

namespace Vornix {

class SettingsCheckThread : public JobThread {
public:
    // `webAddress` as in the page's box: the links' prefix.
    SettingsCheckThread(const FtpSettings::Values& values, const std::wstring& webAddress,
                        const std::shared_ptr<CheckControl>& control);

private:
    // Always 0.
    DWORD threadMain() override;
    void run();
    std::unique_ptr<RemoteFolder> enter();
    bool storeProbe(RemoteFolder& folder, const std::string& name, const std::string& content);
    void fetchProbe(const std::string& name, const std::string& content);
    void removeProbe(RemoteFolder& folder, const std::string& name);

    FtpSettings::Values values;
    std::wstring webAddress;
    std::shared_ptr<CheckControl> control;
    CheckReport::Report report;
};

}
