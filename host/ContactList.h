// The messenger's contacts and the records it hands plug-ins about them.
#pragma once

#include "plugin/HostInterface.h"

#include <memory>
#include <string>
#include <vector>

struct Contact {
    std::wstring netClass;
    INT32 netId;
    std::wstring id;  // "#N": the record carries the number N, as some callers pass one

    // CLASS/NUMBER/ID, as the command line names a contact.
    std::wstring name() const;
    // "CLASS/NUMBER/PFMessageSend": the network's send function.
    std::wstring sendFunction() const;
};

class ContactList {
public:
    explicit ContactList(const std::vector<Contact>& contacts);

    size_t size() const;
    const Contact& at(size_t index) const;
    // Filled as the messenger fills it; the texts it points to belong to the list.
    ContactRecord record(size_t index) const;
    // One name a network, in the order the contacts give them.
    std::vector<std::wstring> sendFunctions() const;
    // The id a record carries back, as the list names it. A value the list
    // never handed out is shown as "#" and its number, never read as memory.
    std::wstring idText(UINT_PTR id) const;

private:
    // Held by pointer: records point into the strings, which must never move.
    std::vector<std::unique_ptr<Contact>> contacts;
};
