// Asks the web server for a link before it goes to the contact, as the
// contact's browser would fetch it: a link that does not answer with
// success, or with another size than the file stored, is dead.
#pragma once

#include "ui/DeadLinksReport.h"

#include <cstdint>
#include <functional>
#include <string>

namespace LinkCheck {

enum class Verdict { live, dead, unchecked };

// Within the session timeout. `unchecked` when `givingUp` said yes first;
// for `dead`, `found` tells what the web server answered.
Verdict check(const std::wstring& link, int64_t storedSize, const std::function<bool()>& givingUp,
              DeadLinksReport::DeadLink& found);

}
