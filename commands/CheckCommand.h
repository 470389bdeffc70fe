// The options page's "Sprawdź": starts the check of the settings in the
// page's boxes as a job, so that an unload stops it like any other.
#pragma once

#include "remote/FtpSettings.h"
#include "ui/CheckControl.h"

#include <memory>
#include <string>

namespace CheckCommand {
// False when the job could not be started.
bool start(const FtpSettings::Values& values, const std::wstring& webAddress,
           const std::shared_ptr<CheckControl>& control);
}
