#include "host/ContactList.h"

#include <algorithm>

std::wstring Contact::name() const
{
    return netClass + L"/" + std::to_wstring(netId) + L"/" + id;
}

std::wstring Contact::sendFunction() const
{
    return netClass + L"/" + std::to_wstring(netId) + L"/PFMessageSend";
}

ContactList::ContactList(const std::vector<Contact>& list)
{
    for (const Contact& contact : list)
        contacts.push_back(std::make_unique<Contact>(contact));
}

size_t ContactList::size() const
{
    return contacts.size();
}

const Contact& ContactList::at(size_t index) const
{
    return *contacts.at(index);
}

ContactRecord ContactList::record(size_t index) const
{
    const Contact& contact = at(index);
    ContactRecord record = {};
    record.size = sizeof(ContactRecord);
    record.id = reinterpret_cast<UINT_PTR>(contact.id.c_str());
    record.netClass = contact.netClass.c_str();
    record.netId = contact.netId;
    return record;
}

std::vector<std::wstring> ContactList::sendFunctions() const
{
    std::vector<std::wstring> names;
    for (const auto& contact : contacts) {
        std::wstring name = contact->sendFunction();
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}
