// jobs_probe.dll stands in for the plug-in DLL: the thread manager, a job and
// progress windows running from a library that the test loads and unloads.
#include "tests/jobs/TestJob.h"
#include "jobs/ThreadManager.h"
#include "plugin/HostLog.h"
#include "ui/ProgressWindow.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {
Vornix::ThreadManager* manager = nullptr;
}

extern "C" {

// A job that ignores stop requests and runs until `finish` is set.
__declspec(dllexport) void __cdecl probeStartJob(HostFunctionTable* host, HANDLE finish, HANDLE freed)
{
    if (!manager) {
        manager = new Vornix::ThreadManager();
        Vornix::setLogHost(host);
    }
    manager->startJob(new TestJob(1, TestJob::Running, finish, freed));
}

__declspec(dllexport) void __cdecl probeTeardown()
{
    Vornix::ThreadManager::teardown(manager);
    manager = nullptr;
}

__declspec(dllexport) HWND __cdecl probeCreateWindow(HWND owner)
{
    return ProgressWindow::create(reinterpret_cast<HINSTANCE>(&__ImageBase), owner);
}

__declspec(dllexport) void __cdecl probeCloseAll()
{
    ProgressWindow::closeAll();
}
}
