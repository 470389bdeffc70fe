// The contact record the host passes a plug-in for one call. With `forget`
// its texts are copies that the host overwrites and frees as soon as the
// call has returned, as a messenger does with a contact removed meanwhile or
// another plug-in with a record on its stack: a plug-in that reads them later
// reads garbage, and its transcript shows it.
#pragma once

#include "plugin/HostInterface.h"

class PassedContact {
public:
    PassedContact(const ContactRecord& original, bool forget);
    ~PassedContact();
    PassedContact(const PassedContact&) = delete;
    PassedContact& operator=(const PassedContact&) = delete;

    ContactRecord record;

private:
    static wchar_t* copy(const wchar_t* text);
    static void overwriteAndFree(wchar_t* text);

    wchar_t* id;
    wchar_t* netClass;
};
