// The expiry: removes from the server the files the plug-in sent there more
// than the chosen number of days ago, and only those, with no box and no
// question (a server whose certificate or host key is not yet trusted is
// left for a run after the user trusted it). The host's log says what it
// did; what failed stays in the list for the next run.
#pragma once

#include "jobs/JobThread.h"
#include "plugin/SentFileRecord.h"
#include "remote/FtpSettings.h"

#include <cstdint>
#include <vector>

namespace Vornix {

class SentExpiryThread : public JobThread {
public:
    // Starts the thread; without one the job has a null handle. The thread
    // reads the settings, and ends at once when expiry is off.
    SentExpiryThread();

    // The records on the settings' server sent `days` or more days before `now`.
    static std::vector<SentFileRecord> expired(const std::vector<SentFileRecord>& records,
                                               const FtpSettings& settings, int days, int64_t now);

private:
    DWORD threadMain() override;
    void run(int days);
};

}
