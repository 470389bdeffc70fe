#include "host/PassedContact.h"

#include <cwchar>

PassedContact::PassedContact(const ContactRecord& original, bool forget)
    : record(original), id(nullptr), netClass(nullptr)
{
    if (!forget)
        return;
    id = copy(reinterpret_cast<const wchar_t*>(original.id));
    netClass = copy(original.netClass);
    record.id = reinterpret_cast<UINT_PTR>(id);
    record.netClass = netClass;
}

PassedContact::~PassedContact()
{
    overwriteAndFree(id);
    overwriteAndFree(netClass);
}

wchar_t* PassedContact::copy(const wchar_t* text)
{
    size_t length = wcslen(text) + 1;
    wchar_t* result = new wchar_t[length];
    wmemcpy(result, text, length);
    return result;
}

void PassedContact::overwriteAndFree(wchar_t* text)
{
    if (!text)
        return;
    wmemset(text, L'#', wcslen(text));
    delete[] text;
}
