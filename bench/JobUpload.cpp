// The plug-in's upload run without a window: Vornix::FtpSendThread linked in
// directly, with settings from an in-memory host. This program carries no
// dialog template, so the job's progress window cannot be created and the job
// runs windowless, exactly as it does when window creation fails.
//
// The clock runs from the job's construction to the end of its code, the
// moment its thread asks to exit: the upload's own work, thread start
// included. Wine's thread teardown (about a millisecond here, DLL
// notifications and a server round trip) is reported apart.
//
// Usage: bench_job_upload HOST USER PASSWORD DIR FILE [PIN | HOSTKEY]
// With PIN (the server certificate's SHA-256 fingerprint, "AB:CD:...") the
// upload goes over TLS, with that certificate trusted for HOST (host:port).
// With HOSTKEY (an SSH host key as the plug-in keeps it, "ssh-ed25519
// SHA256:...") it goes over SFTP to HOST's port 22, with that key trusted.
// Prints key=value lines: bytes, seconds (construction to the end of the
// job's code), mbps, thread_seconds (construction to the thread's handle
// signalled), peak_ws, first_call_at and delivered_at (s: the first setting
// read, the link shown); or error=TEXT (the job's message box) with exit
// code 1.
#include "bench/BenchHost.h"

#include "jobs/FtpSendThread.h"
#include "plugin/PluginState.h"
#include "plugin/SettingsStore.h"
#include "remote/CertificateTrust.h"

#include <cstring>

namespace {

// TLS required, with the server's certificate trusted as the user's answer
// would (`pin` is its SHA-256 fingerprint).
void requireTls(RecordingHost& host, const char* server, const char* pin)
{
    host.integers[SettingKeys::tls] = static_cast<int>(TlsMode::Required);
    ServerAddress address;
    ServerAddress::parse(server, address);
    host.texts[CertificateTrust::pinKey(address)] = Bench::widen(pin);
}

// The recording host's callFunction, noting when the run first reads a
// setting and when it shows the link: where a short upload's time goes.
INT_PTR(__cdecl* recordingCall)(const wchar_t*, WPARAM, LPARAM) = nullptr;
double firstCall = 0;
double deliveredAt = 0;
double codeEndedAt = 0;

// The job's thread ends through FreeLibraryAndExitThread (it pins its module).
VOID(WINAPI* realExit)(HMODULE, DWORD) = nullptr;

VOID WINAPI timedExit(HMODULE module, DWORD code)
{
    codeEndedAt = Bench::seconds();
    realExit(module, code);
}

INT_PTR __cdecl timedCall(const wchar_t* name, WPARAM wParam, LPARAM lParam)
{
    if (firstCall == 0)
        firstCall = Bench::seconds();
    if (name && std::wstring(name) == L"WTW/PFShowMessage")
        deliveredAt = Bench::seconds();
    return recordingCall(name, wParam, lParam);
}

}

int main(int argc, char** argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: %s HOST USER PASSWORD DIR FILE\n", argv[0]);
        return 2;
    }
    RecordingHost host;
    Bench::configure(host, argv[1], argv[2], argv[3], argv[4]);
    if (argc > 6 && std::strchr(argv[6], ' '))
        Bench::useSftp(host, argv[1], argv[6]);
    else if (argc > 6)
        requireTls(host, argv[1], argv[6]);
    Bench::BoxAnswers boxes;
    Bench::plugIn(host);
    recordingCall = host.table.callFunction;
    host.table.callFunction = timedCall;
    ImportHook exitHook("kernel32.dll", "FreeLibraryAndExitThread", reinterpret_cast<void*>(&timedExit));
    realExit = reinterpret_cast<VOID(WINAPI*)(HMODULE, DWORD)>(exitHook.original());
    if (!exitHook.installed()) {
        Bench::result("error", "cannot hook FreeLibraryAndExitThread");
        return 1;
    }

    HANDLE file = CreateFileA(argv[5], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size = {};
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size)) {
        Bench::result("error", std::string("cannot open ") + argv[5]);
        return 1;
    }
    CloseHandle(file);

    ContactRecord contact = {};
    contact.size = sizeof contact;
    contact.netClass = L"XY";
    contact.netId = 1;
    std::wstring path = Bench::widen(argv[5]);

    firstCall = 0;
    double start = Bench::seconds();
    auto job = new Vornix::FtpSendThread(&host.table, &contact, GetModuleHandleW(nullptr), {path});
    HANDLE thread = job->getHandle();
    if (!thread || WaitForSingleObject(thread, 1800 * 1000) != WAIT_OBJECT_0) {
        Bench::result("error", "the job did not start or did not end");
        return 1;
    }
    double threadElapsed = Bench::seconds() - start;
    double elapsed = codeEndedAt - start;
    CloseHandle(thread);
    delete job;

    bool delivered = false;
    for (const std::wstring& name : host.names())
        delivered = delivered || name == L"callFunction WTW/PFShowMessage";
    if (Bench::BoxAnswers::count() > 0 || !delivered) {
        Bench::result("error", Bench::BoxAnswers::count() ? Bench::BoxAnswers::lastText() : "no link delivered");
        return 1;
    }
    auto bytes = static_cast<unsigned long long>(size.QuadPart);
    Bench::result("bytes", bytes);
    Bench::result("seconds", elapsed);
    Bench::result("mbps", bytes / 1048576.0 / elapsed);
    Bench::result("thread_seconds", threadElapsed);
    Bench::result("peak_ws", Bench::peakWorkingSet());
    Bench::result("first_call_at", firstCall - start);
    Bench::result("delivered_at", deliveredAt - start);
    SettingsStore::closeSettings();
    return 0;
}
