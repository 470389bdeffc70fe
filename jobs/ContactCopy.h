// A contact as an upload keeps it: the host's record, with the network's
// name copied when the job is made. The job reads the contact minutes later,
// on its own thread, when the caller's record may be gone (a contact removed
// meanwhile, or another plug-in's record on its stack). The id is the host's
// value: handed back as it came, never read, so it is the host's to keep valid.
#pragma once

#include "plugin/HostInterface.h"

#include <string>

class ContactCopy {
public:
    // An empty record (no network, no id) when `contact` is null.
    explicit ContactCopy(const ContactRecord* contact);
    ContactCopy(const ContactCopy&) = delete;
    ContactCopy& operator=(const ContactCopy&) = delete;

    // The record, whose network name points into this copy.
    const ContactRecord& record() const { return copy; }
    // The contact's network as the list of sent files names it: "CLASS/NUMBER",
    // empty without a network.
    std::wstring label() const;

private:
    std::wstring netClass;
    ContactRecord copy;
};
