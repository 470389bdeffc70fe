#include "jobs/LinkDelivery.h"

#include "jobs/LinkText.h"
#include "plugin/SettingsStore.h"

namespace LinkDelivery {

namespace {

// The contact's network names its send function "CLASS/NUMBER/PFMessageSend".
std::wstring sendFunctionName(const ContactRecord& contact)
{
    return std::wstring(contact.netClass) + L"/" + std::to_wstring(contact.netId) + L"/PFMessageSend";
}

}

std::wstring deliver(HostFunctionTable* host, const ContactRecord& contact, const std::vector<std::string>& remoteNames)
{
    std::wstring prefix = SettingsStore::readString(SettingKeys::httpHost);
    if (prefix.empty())
        return prefix;
    std::wstring links = LinkText::linesFor(prefix, remoteNames);

    ChatMessage message = {};
    message.size = sizeof(message);
    message.contact = contact;
    message.text = links.c_str();
    message.flags = 6;

    if (!SettingsStore::readFlag(SettingKeys::linksOnlyShown) && contact.netClass)
        host->callFunction(sendFunctionName(contact).c_str(), reinterpret_cast<WPARAM>(&message), 0);
    host->callFunction(L"WTW/PFShowMessage", reinterpret_cast<WPARAM>(&message), 0);
    return links;
}

}
