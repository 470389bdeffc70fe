// What both transfer jobs share: a thread of their own, started through
// ModulePin with the job as its argument, and whether it must give up.
// A job starts its thread at the end of its constructor, once its members are
// set; the thread runs the job's threadMain and ends with its result.
#pragma once

#include "jobs/iThread.h"

#include <atomic>
#include <memory>

namespace Vornix {

class JobThread : public iThread {
public:
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;

    HANDLE getHandle() override;
    void requestStop() override;

    // The start routine; `job` is the JobThread. Exit code 1 without a job,
    // else what its threadMain returns.
    static DWORD WINAPI threadRoutine(LPVOID job);

protected:
    JobThread();

    // False when the thread could not be started: the handle then stays null.
    bool startThread();

    // The job's whole run on its own thread; lets no exception out.
    virtual DWORD threadMain() = 0;

    // True once the job must end: the manager asked it to stop (the
    // messenger closes or unloads the plug-in), or the user pressed the
    // progress window's "Przerwij". The one question a job asks between
    // its steps.
    bool mustGiveUp() const;
    // Of those, only the manager's stop: what a job may still do for the
    // user after "Przerwij" it leaves undone then.
    bool messengerClosing() const;

    // The abort button's flag, for a job with a progress window.
    std::shared_ptr<const std::atomic<bool>> abortPressed;

private:
    std::atomic<bool> stopRequested;
    HANDLE threadHandle;  // null until startThread succeeds
};

}
