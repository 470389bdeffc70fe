// The delete-all job: after the user confirms, deletes every name listed in
// the server directory but dot-names, "index.htm" and "index.html".
#pragma once

#include "iThread.h"

#include <string>
#include <vector>

class FtpSession;

namespace Vornix {

class FtpDelAllThread : public iThread {
public:
    // Asks the user; only a yes starts the thread.
    FtpDelAllThread();

    HANDLE getHandle() override;
    void requestStop() override;

    static DWORD WINAPI threadRoutine(LPVOID job);

    // Dot-names and the two index pages stay, compared case-sensitively.
    static bool isKept(const std::string& name);

private:
    void run();
    size_t deleteListed(FtpSession& session, const std::vector<std::string>& names);

    HANDLE threadHandle;
    volatile bool stopRequested;
};

}
