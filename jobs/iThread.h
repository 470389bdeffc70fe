// The base of every transfer job. A job starts its own thread in its
// constructor; from startJob on the ThreadManager owns it and frees it through
// this base once the thread has ended.
#pragma once

#include <windows.h>

namespace Vornix {

class iThread {
public:
    virtual HANDLE getHandle() = 0;  // the job's thread, null when it started none
    virtual void requestStop() = 0;  // sets the job's stop flag
    virtual ~iThread() {}
};

}
