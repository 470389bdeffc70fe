// Puts the link to an uploaded file into the conversation: always shown,
// and sent to the contact when links are not set to be only shown.
#pragma once

#include "plugin/HostInterface.h"

#include <string>

namespace LinkDelivery {
void deliver(HostFunctionTable* host, const ContactRecord& contact, const std::string& remoteName);
}
