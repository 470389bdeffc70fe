#include "host/ContactList.h"

#include <algorithm>
#include <cwctype>

namespace {

bool isNumberId(const std::wstring& id)
{
    return id.size() > 1 && id[0] == L'#' &&
           std::all_of(id.begin() + 1, id.end(), [](wchar_t c) { return std::iswdigit(c) != 0; });
}

UINT_PTR recordId(const Contact& contact)
{
    if (isNumberId(contact.id))
        return static_cast<UINT_PTR>(std::stoull(contact.id.substr(1)));
    return reinterpret_cast<UINT_PTR>(contact.id.c_str());
}

}

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
    record.id = recordId(contact);
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

std::wstring ContactList::idText(UINT_PTR id) const
{
    for (const auto& contact : contacts) {
        if (recordId(*contact) == id)
            return contact->id;
    }
    return L"#" + std::to_wstring(id);
}
