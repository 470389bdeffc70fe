#include "jobs/ContactCopy.h"

// The host's contact id is a wide string too, though the record types it as a number.
ContactCopy::ContactCopy(const ContactRecord* contact) : copy()
{
    copy.size = sizeof(copy);
    if (!contact)
        return;
    copy = *contact;
    if (contact->id) {
        id = reinterpret_cast<const wchar_t*>(contact->id);
        copy.id = reinterpret_cast<UINT_PTR>(id.c_str());
    }
    if (contact->netClass) {
        netClass = contact->netClass;
        copy.netClass = netClass.c_str();
    }
}
