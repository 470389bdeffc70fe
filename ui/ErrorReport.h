// One message box for a job that failed.
#pragma once

#include <exception>

namespace ErrorReport {

// The upload's boxes are titled by the kind of failure; the delete-all's
// are all "Vornix".
enum class Caption { byKind, plain };

// Waits until the user dismisses the box.
void show(const std::exception_ptr& failure, Caption caption);

}
