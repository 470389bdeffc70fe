// Puts the links to the uploaded files into the conversation, in one
// message: always shown, and sent to the contact when links are not set to
// be only shown.
#pragma once

#include "plugin/HostInterface.h"

#include <string>
#include <vector>

namespace LinkDelivery {
// The message delivered (LinkText::linesFor), or empty when no web address
// is set and nothing was delivered. Only the names marked `sendable` go to
// the contact; every one is shown.
std::wstring deliver(HostFunctionTable* host, const ContactRecord& contact, const std::vector<std::string>& remoteNames,
                     const std::vector<bool>& sendable);
}
