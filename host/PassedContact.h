// The contact record the host passes a plug-in for one call. With `forget`
// its network's name is a copy that the host overwrites and frees as soon as
// the call has returned, as a messenger does with a contact removed meanwhile
// or another plug-in with a record on its stack: a plug-in that reads it later
// reads garbage, and its transcript shows it. The id stays the host's own
// value, which the plug-in hands back unread.
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

    wchar_t* netClass;
};
