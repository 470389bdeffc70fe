#include "tests/jobs/TestJob.h"

#include "plugin/ModulePin.h"

#include <mutex>

namespace {
std::mutex journalMutex;
std::vector<int> journal;
}

TestJob::TestJob(int id, Kind kind, HANDLE finish, HANDLE freed, int stopsToEnd)
    : id(id), kind(kind), finish(finish), freed(freed), stopsToEnd(stopsToEnd),
      stopEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)), stopRequests(0), thread(nullptr), handedOut(false)
{
    if (kind == Running)
        thread = Vornix::ModulePin::startThread(run, this);
    else if (kind == HandleVanishes)
        thread = Vornix::ModulePin::startThread(endAtOnce, nullptr);
}

// The manager closes the handle of a job it reaped; one it never saw stays ours.
TestJob::~TestJob()
{
    if (kind == HandleVanishes)
        CloseHandle(thread);
    CloseHandle(stopEvent);
    SetEvent(freed);
}

HANDLE TestJob::getHandle()
{
    if (kind != HandleVanishes)
        return thread;
    HANDLE handle = handedOut ? nullptr : thread;
    handedOut = true;
    return handle;
}

void TestJob::requestStop()
{
    {
        std::lock_guard<std::mutex> guard(journalMutex);
        journal.push_back(id);
    }
    ++stopRequests;
    SetEvent(stopEvent);
}

std::vector<int> TestJob::stopJournal()
{
    std::lock_guard<std::mutex> guard(journalMutex);
    return journal;
}

void TestJob::clearStopJournal()
{
    std::lock_guard<std::mutex> guard(journalMutex);
    journal.clear();
}

DWORD WINAPI TestJob::run(LPVOID param)
{
    auto job = static_cast<TestJob*>(param);
    HANDLE events[] = {job->finish, job->stopEvent};
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
        if (job->stopsToEnd && job->stopRequests >= job->stopsToEnd)
            break;
    Vornix::ModulePin::exitThread(0);
}

DWORD WINAPI TestJob::endAtOnce(LPVOID)
{
    Vornix::ModulePin::exitThread(0);
}
