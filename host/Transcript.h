// The host's record of events: one line each on standard output, UTF-8, written
// at once so that a reader sees them as they happen. Any thread may write.
#pragma once

#include <windows.h>

#include <string>

class Transcript {
public:
    Transcript();
    ~Transcript();
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    void line(const std::wstring& text);
    // Diagnostics of the host itself go to standard error, apart from the events.
    void note(const std::wstring& text);
    // Takes the lock for good: nothing is written after this (the process is about to end).
    void seal();

private:
    void write(DWORD stream, const std::wstring& text);

    CRITICAL_SECTION lock;
};
