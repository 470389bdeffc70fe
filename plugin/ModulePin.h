// Keeps our code mapped while one of our threads runs. The host may unload the
// plug-in while a job or the cleaner is still running (unload waits only a
// bounded time), so each of our threads holds a reference on the module that
// contains this code from before it is created until its very last instruction.
#pragma once

#include <windows.h>

namespace Vornix {

class ModulePin {
public:
    // CreateThread(nullptr, 0, routine, argument, 0, nullptr) for a routine
    // that ends through exitThread; the new thread holds one reference on our
    // module. Null, with no reference taken, when the thread cannot be created.
    static HANDLE startThread(LPTHREAD_START_ROUTINE routine, LPVOID argument);

    // Ends a thread from startThread and drops its reference in one step: the
    // module may be unmapped at that moment, so nothing of ours runs after it.
    // Objects still on the thread's stack are not destroyed.
    [[noreturn]] static void exitThread(DWORD exitCode);

    // Keeps our module mapped until the process ends; for what unload could not
    // clean up (a progress window whose thread does not answer).
    static void pinForever();

private:
    static HMODULE ourModule(DWORD flags);
};

}
