// "WTW/PFShowMessage" and one send function per network of the contacts
// ("CLASS/NUMBER/PFMessageSend"): what a plug-in puts into a conversation.
#pragma once

#include "plugin/HostInterface.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class ContactList;
class FunctionRegistry;
class Transcript;

class ConversationService {
public:
    struct Message {
        std::wstring contact;   // CLASS/NUMBER/ID from the record
        std::wstring function;  // the send function, empty for a shown message
        std::wstring text;
    };
    typedef std::function<void(const Message&)> Listener;

    ConversationService(FunctionRegistry& registry, Transcript& transcript, const ContactList& contacts);

    // Called on the plug-in's thread for every message; set before the plug-in loads.
    void setListener(const Listener& listener);

private:
    struct Network {
        ConversationService* service;
        std::wstring function;
    };

    INT_PTR show(WPARAM wParam, LPARAM lParam);
    static INT_PTR __cdecl send(WPARAM wParam, LPARAM lParam, void* network);
    bool read(WPARAM wParam, Message* message);
    void deliver(const std::wstring& event, const Message& message);

    Transcript& transcript;
    const ContactList& contacts;
    Listener listener;
    std::vector<std::unique_ptr<Network>> networks;
};
