// vornix-host.exe: the stand-in messenger. Exit status: 0 done, 1 the plug-in or
// the command failed, 2 usage error, 3 timed out.
#include "host/CommandLine.h"
#include "host/Host.h"
#include "host/Transcript.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring hostDir()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file(path, length);
    return file.substr(0, file.find_last_of(L"\\/"));
}

}

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::wstring> arguments(argv + 1, argv + argc);
    try {
        CommandLine commandLine(arguments, hostDir());
        int status = 0;
        for (DWORD run = 0; run < commandLine.runs && status == 0; ++run)
            status = Host(commandLine, GetModuleHandleW(nullptr)).run();
        return status;
    } catch (const CommandLine::UsageError& error) {
        Transcript transcript;
        transcript.note(error.message);
        std::wstring usage = CommandLine::usage();
        for (size_t start = 0, end; start < usage.size(); start = end + 1) {
            end = usage.find(L'\n', start);
            end = end == std::wstring::npos ? usage.size() : end;
            transcript.note(usage.substr(start, end - start));
        }
        return 2;
    }
}
