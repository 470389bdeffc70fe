// The list's "Usuń z serwera": removes the chosen sent files from the server
// the settings name, drops from the list those whose file is gone, and says
// in one box which did not simply go and why.
#pragma once

#include "jobs/JobThread.h"
#include "plugin/SentFileRecord.h"

#include <vector>

namespace Vornix {

class SentDeleteThread : public JobThread {
public:
    // Starts the thread; without one the job has a null handle.
    explicit SentDeleteThread(const std::vector<SentFileRecord>& records);

private:
    // Always 0; the list's window hears when it ends, failure or not.
    DWORD threadMain() override;
    void run();

    std::vector<SentFileRecord> records;
};

}
