// Small helpers shared by the benchmark programs: a monotonic clock, the
// process's peak working set, and results printed as "key=value" lines that
// bench/run.py reads.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace Bench {

inline double seconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Under Wine this is the Linux process's high-water mark of resident memory.
inline unsigned long long peakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize;
}

inline void result(const char* key, const std::string& value)
{
    std::printf("%s=%s\n", key, value.c_str());
    std::fflush(stdout);
}

inline void result(const char* key, double value)
{
    std::printf("%s=%.6f\n", key, value);
    std::fflush(stdout);
}

inline void result(const char* key, unsigned long long value)
{
    std::printf("%s=%llu\n", key, value);
    std::fflush(stdout);
}

inline std::wstring widen(const char* text)
{
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring out(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1)
        MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], length);
    return out;
}

inline std::string fileName(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}
