#include "host/PassedContact.h"

#include <cwchar>

PassedContact::PassedContact(const ContactRecord& original, bool forget)
    : record(original), netClass(nullptr)
{
    if (!forget)
        return;
    netClass = copy(original.netClass);
    record.netClass = netClass;
}

PassedContact::~PassedContact()
{
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
