#include "jobs/JobThread.h"

#include "jobs/ModulePin.h"

namespace Vornix {

JobThread::JobThread() : stopRequested(false), threadHandle(nullptr)
{
}

HANDLE JobThread::getHandle()
{
    return threadHandle;
}

void JobThread::requestStop()
{
    stopRequested = true;
}

bool JobThread::startThread()
{
    threadHandle = ModulePin::startThread(threadRoutine, this);
    return threadHandle != nullptr;
}

DWORD WINAPI JobThread::threadRoutine(LPVOID job)
{
    DWORD exitCode = job ? static_cast<JobThread*>(job)->threadMain() : 1;
    ModulePin::exitThread(exitCode);
}

}
