#include "tests/jobs/LogRecorder.h"

#include "plugin/HostLog.h"

namespace {
LogRecorder* current = nullptr;
}

LogRecorder::LogRecorder() : table()
{
    table.callFunction = callFunction;
    current = this;
    Vornix::setLogHost(&table);
}

LogRecorder::~LogRecorder()
{
    Vornix::setLogHost(nullptr);
    current = nullptr;
}

std::vector<LogLine> LogRecorder::lines()
{
    std::lock_guard<std::mutex> guard(mutex);
    return recorded;
}

std::vector<std::wstring> LogRecorder::messages()
{
    std::vector<std::wstring> texts;
    for (const LogLine& line : lines())
        texts.push_back(line.message);
    return texts;
}

size_t LogRecorder::count(const std::wstring& prefix)
{
    size_t found = 0;
    for (const std::wstring& message : messages())
        found += message.compare(0, prefix.size(), prefix) == 0;
    return found;
}

void LogRecorder::onLine(std::function<void(const std::wstring&)> listener)
{
    std::lock_guard<std::mutex> guard(mutex);
    this->listener = std::move(listener);
}

INT_PTR __cdecl LogRecorder::callFunction(const wchar_t* name, WPARAM wParam, LPARAM lParam)
{
    auto record = reinterpret_cast<const LogRecord*>(wParam);
    LogLine line = {name, record->size, record->level, record->source, record->message,
                    {record->reserved[0], record->reserved[1]}, lParam};
    std::function<void(const std::wstring&)> listener;
    {
        std::lock_guard<std::mutex> guard(current->mutex);
        current->recorded.push_back(line);
        listener = current->listener;
    }
    if (listener)
        listener(line.message);
    return 0;
}
