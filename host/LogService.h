// "WTW/Log": each line goes to the transcript and to a log file in the profile.
#pragma once

#include <windows.h>

#include <string>

class FunctionRegistry;
class Transcript;

class LogService {
public:
    LogService(FunctionRegistry& registry, Transcript& transcript, const std::wstring& logPath);
    ~LogService();
    LogService(const LogService&) = delete;
    LogService& operator=(const LogService&) = delete;

private:
    // wParam LogRecord*.
    INT_PTR log(WPARAM wParam, LPARAM lParam);
    void append(const std::wstring& line);

    Transcript& transcript;
    std::wstring logPath;
    CRITICAL_SECTION lock;
};
