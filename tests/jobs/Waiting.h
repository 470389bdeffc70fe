// Bounded waits for tests: a fault shows as a failed check, never as a hang.
#pragma once

#include <windows.h>

#include <functional>

inline bool eventually(const std::function<bool()>& condition, DWORD timeoutMs = 10000)
{
    for (ULONGLONG end = GetTickCount64() + timeoutMs; !condition();) {
        if (GetTickCount64() > end)
            return false;
        Sleep(10);
    }
    return true;
}

inline bool isSet(HANDLE event, DWORD timeoutMs = 0)
{
    return WaitForSingleObject(event, timeoutMs) == WAIT_OBJECT_0;
}
