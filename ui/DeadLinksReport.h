// The one box for the links of a send that did not answer before they were
// to go to the contact: what the web server said of each, and where to look.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace DeadLinksReport {

struct DeadLink {
    std::wstring link;
    int status = 0;  // the web server's answer; 0 when none came
    std::string reason;
    int64_t storedSize = -1;
    int64_t servedSize = -1;     // as the web server gave it, where it did
    std::exception_ptr failure;  // why no answer came
};

std::wstring textOf(const std::vector<DeadLink>& links);

// Waits until the user dismisses the box.
void show(const std::vector<DeadLink>& links);

}
