// A job for the manager's tests, with a real thread of its own started through
// ModulePin as the real jobs start theirs. Its thread runs until the test sets
// `finish`, or until requestStop has reached it `stopsToEnd` times (0: it
// ignores stop requests). Its destructor sets `freed`, an event the test owns,
// so the test sees when the manager frees the job.
#pragma once

#include "jobs/iThread.h"

#include <atomic>
#include <vector>

class TestJob : public Vornix::iThread {
public:
    enum Kind {
        Running,
        NoThread,
        HandleVanishes,  // hands out its thread once, then reports none
    };

    TestJob(int id, Kind kind, HANDLE finish, HANDLE freed, int stopsToEnd = 0);
    ~TestJob() override;
    TestJob(const TestJob&) = delete;
    TestJob& operator=(const TestJob&) = delete;

    HANDLE getHandle() override;
    void requestStop() override;

    // Ids of the jobs in the order requestStop reached them, over all jobs.
    static std::vector<int> stopJournal();
    static void clearStopJournal();

private:
    static DWORD WINAPI run(LPVOID job);
    static DWORD WINAPI endAtOnce(LPVOID);

    const int id;
    const Kind kind;
    const HANDLE finish;
    const HANDLE freed;
    const int stopsToEnd;
    const HANDLE stopEvent;
    std::atomic<int> stopRequests;
    HANDLE thread;
    bool handedOut;
};
