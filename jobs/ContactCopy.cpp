#include "jobs/ContactCopy.h"

ContactCopy::ContactCopy(const ContactRecord* contact) : copy()
{
    copy.size = sizeof(copy);
    if (!contact)
        return;
    copy = *contact;
    if (contact->netClass) {
        netClass = contact->netClass;
        copy.netClass = netClass.c_str();
    }
}

std::wstring ContactCopy::label() const
{
    if (!copy.netClass)
        return std::wstring();
    return netClass + L"/" + std::to_wstring(copy.netId);
}
