// One message box for a failed upload, titled by the kind of failure.
#pragma once

#include <exception>

namespace UploadErrorReport {
// Waits until the user dismisses the box.
void show(const std::exception_ptr& failure);
}
