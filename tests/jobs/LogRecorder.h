// A host table that records every "WTW/Log" call with the record's fields as
// they were during the call, and becomes the manager's log host while it lives.
// Lines may come from any thread.
#pragma once

#include "plugin/HostInterface.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct LogLine {
    std::wstring function;  // the name given to callFunction
    DWORD size;
    DWORD level;
    std::wstring source;
    std::wstring message;
    DWORD reserved[2];
    LPARAM lParam;
};

class LogRecorder {
public:
    LogRecorder();
    ~LogRecorder();
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    HostFunctionTable table;

    std::vector<LogLine> lines();
    std::vector<std::wstring> messages();
    size_t count(const std::wstring& prefix);  // messages that begin with prefix

    // Runs on the logging thread after each line has been recorded.
    void onLine(std::function<void(const std::wstring& message)> listener);

private:
    static INT_PTR __cdecl callFunction(const wchar_t* name, WPARAM wParam, LPARAM lParam);
    std::mutex mutex;
    std::vector<LogLine> recorded;
    std::function<void(const std::wstring&)> listener;
};
