// One message box for a job that failed, or for the files a send of several
// could not take.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <vector>

namespace ErrorReport {

// The upload's boxes are titled by the kind of failure; the delete-all's
// are all "Vornix".
enum class Caption { byKind, plain };

// Waits until the user dismisses the box.
void show(const std::exception_ptr& failure, Caption caption);

struct FailedFile {
    std::wstring path;
    std::exception_ptr failure;
};

// The failure's words, as its own box would show them.
std::wstring textOf(const std::exception_ptr& failure);

// One box for all of them, each named by its path with its reason, titled
// by the first one's kind. Waits until the user dismisses it.
void showFailedFiles(const std::vector<FailedFile>& files, size_t filesChosen);

}
