// A transfer job as the ThreadManager sees it. A job starts its own thread in
// its constructor (JobThread does it for both jobs); from startJob on the
// manager owns it and frees it through this interface once the thread has ended.
#pragma once

#include <windows.h>

#include <atomic>

namespace Vornix {

class iThread {
public:
    virtual HANDLE getHandle() = 0;  // the job's thread, null when it started none
    virtual void requestStop() = 0;  // sets the job's stop flag
    virtual ~iThread() {}
};

// Stop flags (each job's and the manager's) are read without a lock by another
// thread than the one setting them: one byte, lock-free on this target.
static_assert(sizeof(std::atomic<bool>) == 1 && std::atomic<bool>::is_always_lock_free, "one-byte stop flags");

}
