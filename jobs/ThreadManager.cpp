#include "jobs/ThreadManager.h"

#include "plugin/HostLog.h"
#include "plugin/ModulePin.h"

#include <algorithm>

namespace Vornix {

namespace {

const DWORD pollMs = 1000;
const DWORD teardownWaitMs = 15000;

class Locked {
public:
    explicit Locked(CRITICAL_SECTION& section) : section(section) { EnterCriticalSection(&section); }
    ~Locked() { LeaveCriticalSection(&section); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& section;
};

}

ThreadManager::ThreadManager() : cleanerThread(nullptr), stopping(false), abandoned(false)
{
    InitializeCriticalSection(&lock);
}

ThreadManager::~ThreadManager()
{
    DeleteCriticalSection(&lock);
}

void ThreadManager::startJob(iThread* job)
{
    Locked guard(lock);
    if (!cleanerThread)
        startCleaner();
    if (job->getHandle())
        jobs.push_back(job);
    else
        delete job;
}

ThreadManager::Snapshot ThreadManager::snapshot()
{
    Locked guard(lock);
    return {jobs.size(), cleanerThread, stopping};
}

void ThreadManager::startCleaner()
{
    cleanerThread = ModulePin::startThread(runCleaner, this);
    logToHost(logLevel, logSource, L"Starting cleaner thread %p", cleanerThread);
}

DWORD WINAPI ThreadManager::runCleaner(LPVOID manager)
{
    auto self = static_cast<ThreadManager*>(manager);
    HANDLE cleaner = nullptr;
    bool orphaned = false;
    while (iThread* job = self->newestOrSignOff(cleaner, orphaned))
        self->watch(job);
    logToHost(logLevel, logSource, L"Cleaner thread %p has ended", cleaner);
    if (orphaned)
        delete self;
    ModulePin::exitThread(0);
}

// The emptiness check and the clearing of cleanerThread are one step, so a job
// listed after it finds cleanerThread null and starts a cleaner of its own.
iThread* ThreadManager::newestOrSignOff(HANDLE& cleaner, bool& orphaned)
{
    Locked guard(lock);
    if (!jobs.empty())
        return jobs.back();
    cleaner = cleanerThread;
    if (cleanerThread)
        CloseHandle(cleanerThread);
    cleanerThread = nullptr;
    orphaned = abandoned;
    return nullptr;
}

void ThreadManager::watch(iThread* job)
{
    HANDLE thread = job->getHandle();
    if (!thread) {
        reap(job, nullptr);
        logToHost(logLevel, logSource, L"Thread handle is NULL");
        return;
    }
    if (stopping)
        job->requestStop();
    if (WaitForSingleObject(thread, pollMs) != WAIT_OBJECT_0)
        return;
    logToHost(logLevel, logSource, L"Thread %p has ended", thread);
    reap(job, thread);
}

void ThreadManager::reap(iThread* job, HANDLE thread)
{
    Locked guard(lock);
    if (thread)
        CloseHandle(thread);
    jobs.erase(std::find(jobs.begin(), jobs.end(), job));
    delete job;
}

bool ThreadManager::teardown(ThreadManager* manager)
{
    if (!manager)
        return true;
    HANDLE cleaner = manager->beginStop();
    if (cleaner) {
        WaitForSingleObject(cleaner, teardownWaitMs);
        CloseHandle(cleaner);
    }
    setLogHost(nullptr);
    if (!manager->handOverAfterWait())
        return false;
    delete manager;
    return true;
}

// The cleaner closes cleanerThread itself when it ends, so teardown waits on a
// handle of its own, taken while the cleaner cannot close the original.
HANDLE ThreadManager::beginStop()
{
    Locked guard(lock);
    stopping = true;
    HANDLE cleaner = nullptr;
    if (cleanerThread)
        DuplicateHandle(GetCurrentProcess(), cleanerThread, GetCurrentProcess(), &cleaner, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    return cleaner;
}

// True when no cleaner runs any more and teardown frees the manager; otherwise
// the running cleaner frees it once it has reaped the last job.
bool ThreadManager::handOverAfterWait()
{
    Locked guard(lock);
    abandoned = cleanerThread != nullptr;
    return !abandoned;
}

}
