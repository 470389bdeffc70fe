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

void callWithMessage(HostFunctionTable* host, const std::wstring& function, const ContactRecord& contact,
                     const std::wstring& text)
{
    ChatMessage message = {};
    message.size = sizeof(message);
    message.contact = contact;
    message.text = text.c_str();
    message.flags = 6;
    host->callFunction(function.c_str(), reinterpret_cast<WPARAM>(&message), 0);
}

}

std::wstring deliver(HostFunctionTable* host, const ContactRecord& contact, const std::vector<std::string>& remoteNames,
                     const std::vector<bool>& sendable)
{
    std::wstring prefix = SettingsStore::readString(SettingKeys::httpHost);
    if (prefix.empty())
        return prefix;
    std::vector<std::string> sentNames;
    for (size_t index = 0; index < remoteNames.size(); ++index) {
        if (sendable[index])
            sentNames.push_back(remoteNames[index]);
    }
    if (!SettingsStore::readFlag(SettingKeys::linksOnlyShown) && contact.netClass && !sentNames.empty())
        callWithMessage(host, sendFunctionName(contact), contact, LinkText::linesFor(prefix, sentNames));
    std::wstring links = LinkText::linesFor(prefix, remoteNames);
    callWithMessage(host, L"WTW/PFShowMessage", contact, links);
    return links;
}

}
