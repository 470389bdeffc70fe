#include "jobs/JobThread.h"

#include "plugin/ModulePin.h"
#include "remote/TlsLibrary.h"

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

bool JobThread::mustGiveUp() const
{
    return stopRequested || (abortPressed && abortPressed->load());
}

bool JobThread::messengerClosing() const
{
    return stopRequested;
}

bool JobThread::startThread()
{
    threadHandle = ModulePin::startThread(threadRoutine, this);
    return threadHandle != nullptr;
}

DWORD WINAPI JobThread::threadRoutine(LPVOID job)
{
    DWORD exitCode = job ? static_cast<JobThread*>(job)->threadMain() : 1;
    TlsLibrary::releaseThread();
    ModulePin::exitThread(exitCode);
}

}
