#include "host/ConversationService.h"

#include "host/ContactList.h"
#include "host/FunctionRegistry.h"
#include "host/ServiceThunk.h"
#include "host/Text.h"
#include "host/Transcript.h"

ConversationService::ConversationService(FunctionRegistry& registry, Transcript& transcript, const ContactList& contacts)
    : transcript(transcript), contacts(contacts)
{
    registry.createFunction(L"WTW/PFShowMessage", serviceThunk<ConversationService, &ConversationService::show>, this);
    for (const std::wstring& function : contacts.sendFunctions()) {
        networks.push_back(std::make_unique<Network>(Network{this, function}));
        registry.createFunction(function.c_str(), send, networks.back().get());
    }
}

void ConversationService::setListener(const Listener& value)
{
    listener = value;
}

INT_PTR ConversationService::show(WPARAM wParam, LPARAM)
{
    Message message;
    if (!read(wParam, &message))
        return 0;
    deliver(L"shown " + message.contact, message);
    return 1;
}

INT_PTR __cdecl ConversationService::send(WPARAM wParam, LPARAM, void* userData)
{
    auto network = static_cast<Network*>(userData);
    Message message;
    if (!network->service->read(wParam, &message))
        return 0;
    message.function = network->function;
    network->service->deliver(L"sent " + network->function, message);
    return 1;
}

// The contact's id is the host's own value, named by its contact list.
bool ConversationService::read(WPARAM wParam, Message* message)
{
    auto record = reinterpret_cast<const ChatMessage*>(wParam);
    if (!record || record->size < sizeof(ChatMessage))
        return false;
    const ContactRecord& contact = record->contact;
    message->contact = Text::copyOf(contact.netClass) + L"/" + std::to_wstring(contact.netId) + L"/" +
                       contacts.idText(contact.id);
    message->text = Text::copyOf(record->text);
    return true;
}

void ConversationService::deliver(const std::wstring& event, const Message& message)
{
    transcript.line(event + L": " + message.text);
    if (listener)
        listener(message);
}
