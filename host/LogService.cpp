#include "host/LogService.h"

#include "host/FunctionRegistry.h"
#include "host/ServiceThunk.h"
#include "host/Text.h"
#include "host/Transcript.h"

#include <cwchar>

LogService::LogService(FunctionRegistry& registry, Transcript& transcript, const std::wstring& logPath)
    : transcript(transcript), logPath(logPath)
{
    InitializeCriticalSection(&lock);
    registry.createFunction(L"WTW/Log", serviceThunk<LogService, &LogService::log>, this);
}

LogService::~LogService()
{
    DeleteCriticalSection(&lock);
}

INT_PTR LogService::log(WPARAM wParam, LPARAM)
{
    auto record = reinterpret_cast<const LogRecord*>(wParam);
    if (!record || record->size < sizeof(LogRecord))
        return 0;
    std::wstring event = Text::copyOf(record->source) + L": " + Text::copyOf(record->message);
    transcript.line(L"log " + event);
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[64];
    swprintf(stamp, 64, L"%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu] ", now.wYear, now.wMonth, now.wDay, now.wHour,
        now.wMinute, now.wSecond, now.wMilliseconds, static_cast<unsigned long>(record->level));
    append(stamp + Text::oneLine(event));
    return 1;
}

void LogService::append(const std::wstring& line)
{
    std::string bytes = Text::utf8(line) + "\r\n";
    EnterCriticalSection(&lock);
    HANDLE file = CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    LeaveCriticalSection(&lock);
}
