// Owns every transfer job from startJob on and reaps it on a cleaner thread
// once the job's thread has ended. The cleaner runs only while jobs are listed.
// At unload the manager has the jobs asked to stop and waits a bounded time.
#pragma once

#include "jobs/iThread.h"

#include <atomic>
#include <deque>

namespace Vornix {

class ThreadManager {
public:
    ThreadManager();
    ThreadManager(const ThreadManager&) = delete;
    ThreadManager& operator=(const ThreadManager&) = delete;

    // Takes ownership of a newly constructed job: lists it when it has a
    // thread, frees it at once when it has none. Starts a cleaner if none runs.
    // Throws std::bad_alloc if the list cannot grow; the job is then left to
    // its thread, since freeing it could pull it from under that thread.
    void startJob(iThread* job);

    // The cleaner thread: waits on the newest job and reaps it once its thread
    // has ended; asks it to stop on every pass once stopping is set. Ends when
    // the list is empty. Ends its thread with code 0 instead of returning.
    static DWORD WINAPI runCleaner(LPVOID manager);

    // Unload's last step: sets stopping and waits at most 15000 ms for the
    // cleaner. If the cleaner has ended, frees the manager; otherwise the
    // cleaner frees it when it ends, and jobs still listed are reaped as their
    // threads end. Either way logging stops: logToHost does nothing after.
    // True when no job and no cleaner runs any more.
    static bool teardown(ThreadManager* manager);

    // What the manager holds at one moment, taken under its lock.
    struct Snapshot {
        size_t listedJobs;
        HANDLE cleanerThread;
        bool stopping;
    };
    Snapshot snapshot();

private:
    CRITICAL_SECTION lock;         // guards jobs, cleanerThread and the hand-over at teardown
    std::deque<iThread*> jobs;     // owned; in the order started, the newest at the back
    HANDLE cleanerThread;          // null while no cleaner runs
    std::atomic<bool> stopping;    // set once, by teardown; the cleaner reads it without lock
    bool abandoned;  // teardown has returned while the cleaner still ran; guarded by lock

    ~ThreadManager();
    void startCleaner();
    HANDLE beginStop();
    bool handOverAfterWait();
    iThread* newestOrSignOff(HANDLE& cleaner, bool& orphaned);
    void watch(iThread* job);
    void reap(iThread* job, HANDLE thread);
};

}
