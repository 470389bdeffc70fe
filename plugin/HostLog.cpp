#include "plugin/HostLog.h"

#include <Poco/Exception.h>

#include <atomic>
#include <cstdarg>
#include <cwchar>
#include <exception>
#include <iterator>
#include <string>

namespace Vornix {

namespace {

const size_t lineCapacity = 2048;  // characters, with the terminator

std::atomic<HostFunctionTable*> logHost{nullptr};

std::string textOf(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Poco::Exception& e) {
        return e.displayText();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown exception";
    }
}

}

void setLogHost(HostFunctionTable* host)
{
    logHost = host;
}

void logToHost(int level, const wchar_t* source, const wchar_t* format, ...)
{
    HostFunctionTable* host = logHost;
    if (!host)
        return;
    // msvcrt's own formatter: it writes at most one character less than the
    // buffer holds and leaves the zero-filled rest, so the text is always terminated.
    wchar_t text[lineCapacity] = {};
    va_list arguments;
    va_start(arguments, format);
    _vsnwprintf(text, std::size(text) - 1, format, arguments);
    va_end(arguments);

    LogRecord record = {};
    record.size = sizeof record;
    record.level = level;
    record.source = source;
    record.message = text;
    host->callFunction(L"WTW/Log", reinterpret_cast<WPARAM>(&record), 0);
}

void logCaughtException(const wchar_t* where)
{
    try {
        logToHost(logLevel, logSource, L"%ls: %hs", where, textOf(std::current_exception()).c_str());
    } catch (...) {
    }
}

}
