// The delete-all job: after the user confirms, deletes every name listed in
// the server directory but dot-names, "index.htm" and "index.html", and the
// list of sent files forgets those that went.
#pragma once

#include "jobs/JobThread.h"
#include "remote/FtpSettings.h"
#include "remote/NameListing.h"

#include <set>
#include <string>
#include <vector>

class RemoteFolder;

namespace Vornix {

class FtpDelAllThread : public JobThread {
public:
    // Asks the user; only a yes starts the thread.
    FtpDelAllThread();

    // Dot-names ("." and ".." among them) and the two index pages stay,
    // compared case-sensitively. So does what is no plain name in this
    // directory (one with a slash, a backslash or NUL): a hostile server
    // could aim a DELE at other files the account reaches.
    static bool isKept(const std::string& name);

private:
    // Always 0; a failure is shown in a message box.
    DWORD threadMain() override;
    void run();
    void deleteListed(RemoteFolder& folder, const std::vector<std::string>& names, std::set<std::string>& deleted);
    static void forgetDeleted(const FtpSettings& settings, const RemoteFolder& folder, const NameListing& listing,
                              const std::set<std::string>& deleted);
};

}
