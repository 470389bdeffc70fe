// A contact as an upload keeps it: the host's record with its texts copied
// when the job is made. The job reads the contact minutes later, on its own
// thread, when the caller's record may be gone (a contact removed meanwhile,
// or another plug-in's record on its stack).
#pragma once

#include "plugin/HostInterface.h"

#include <string>

class ContactCopy {
public:
    // An empty record (no network, no id) when `contact` is null.
    explicit ContactCopy(const ContactRecord* contact);
    ContactCopy(const ContactCopy&) = delete;
    ContactCopy& operator=(const ContactCopy&) = delete;

    // The record, whose texts point into this copy.
    const ContactRecord& record() const { return copy; }
    // The contact's id, as the list of sent files names it.
    const std::wstring& idText() const { return id; }

private:
    std::wstring id;
    std::wstring netClass;
    ContactRecord copy;
};
