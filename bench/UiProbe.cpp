// How well the messenger's user-interface thread answers during an upload.
//
// This program plays the host: a main window of the messenger's class with a
// message loop on its first thread, a plug-in DLL loaded with an in-memory
// host table, and the upload started on that thread through the plug-in's
// "wtwSkarvelin/sendFile" function (the contact-menu command runs the same
// start, but through the file-open dialog). The progress window therefore
// lives on this thread, as it does in the messenger. Meanwhile:
// - a probe thread posts a message to the main window every PERIOD ms and the
//   window notes how long each one waited in the queue;
// - a PERIOD ms timer notes how late each tick arrives.
// Both are measured for one second before the upload (the platform's own
// jitter) and from the start of the upload until the job's thread has ended,
// its progress window has closed, and the queue has drained.
//
// Usage: bench_ui_probe PLUGIN FILE HOST USER PASSWORD DIR [PERIOD_MS] [TIMEOUT_S] [HOSTKEY]
// With HOSTKEY (an SSH host key as the plug-in keeps it, "ssh-ed25519
// SHA256:...") the upload goes over SFTP to HOST's port 22, with that key
// trusted, as in bench_job_upload.
// Prints key=value lines: post_* (queue waits of the posted probes) and
// timer_* (lateness of the ticks), each as _p50, _p99, _max, _count in ms;
// idle_post_max, idle_timer_max (the second before); post_worst_at and
// timer_worst_at (s after the start), post_worst_in_post (ms of that wait spent
// inside PostMessageW); delivered_at, ended_at, closed_at (s: link shown, job
// reaped, progress window gone);
// bytes, seconds (start to link shown), mbps, peak_ws; or error=TEXT.
// With BENCH_PROBE_NO_WINDOW=1 in the environment, a CBT hook refuses the
// plug-in's windows, so its upload runs windowless, as when the progress
// window cannot be made, with all else alike: the window's own cost is the
// difference.
#include "bench/BenchHost.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <vector>

namespace {

const wchar_t mainWindowClass[] = L"{B993D471-D465-43F2-BBA5-DEEA18A1789E}";
const UINT probeMessage = WM_APP + 1;
const UINT_PTR tickTimer = 1;
const UINT_PTR startTimer = 2;
const UINT_PTR timeoutTimer = 3;
// Samples, allocated up front so memory does not grow with time: 11 minutes
// of 10 ms probes.
const size_t capacity = 65536;

struct Probe {
    DWORD period = 10;
    HWND window = nullptr;
    std::vector<double> postedAt = std::vector<double>(capacity);  // by sequence number
    std::vector<double> answeredAt = std::vector<double>(capacity);
    std::vector<double> returnedAt = std::vector<double>(capacity);  // when PostMessageW came back
    std::vector<double> ticks = std::vector<double>(capacity);
    size_t tickCount = 0;
    std::atomic<size_t> posted{0};
    std::atomic<bool> stop{false};

    double uploadStart = 0;
    std::atomic<double> delivered{0};  // link shown: the transfer is over
    std::atomic<double> jobEnded{0};   // the manager reaped the job's thread
    double windowGone = 0;             // no dialog of this thread is left after the job ended
    double stopped = 0;                // the probe that showed the queue drained was answered
    bool timedOut = false;

    HostHandler sendFile = nullptr;
    void* sendFileUser = nullptr;
    std::wstring path;
};

Probe probe;
INT_PTR(__cdecl* recordingCall)(const wchar_t*, WPARAM, LPARAM) = nullptr;

// The recording host's own callFunction, plus the two moments the probe needs.
INT_PTR __cdecl callFunction(const wchar_t* name, WPARAM wParam, LPARAM lParam)
{
    std::wstring called = name ? name : L"";
    if (called == L"WTW/PFShowMessage")
        probe.delivered = Bench::seconds();
    if (called == L"WTW/Log") {
        auto record = reinterpret_cast<const LogRecord*>(wParam);
        std::wstring message = record && record->message ? record->message : L"";
        if (message.compare(0, 7, L"Thread ") == 0 && message.find(L"has ended") != std::wstring::npos)
            probe.jobEnded = Bench::seconds();
    }
    return recordingCall(name, wParam, lParam);
}

DWORD WINAPI postProbes(LPVOID)
{
    double start = Bench::seconds();
    for (size_t n = 0; n < capacity && !probe.stop; ++n) {
        double due = start + n * probe.period / 1000.0;
        double wait = due - Bench::seconds();
        if (wait > 0)
            Sleep(static_cast<DWORD>(wait * 1000));
        probe.postedAt[n] = Bench::seconds();
        probe.posted = n + 1;
        PostMessageW(probe.window, probeMessage, n, 0);
        probe.returnedAt[n] = Bench::seconds();
    }
    return 0;
}

void startUpload()
{
    SendFileRequest request = {};
    request.path = probe.path.c_str();
    // The host's contact id is a wide string, which the job copies.
    request.contactId = reinterpret_cast<UINT_PTR>(L"1");
    request.netClass = L"XY";
    request.netId = 1;
    probe.uploadStart = Bench::seconds();
    probe.sendFile(reinterpret_cast<WPARAM>(&request), 0, probe.sendFileUser);
}

BOOL CALLBACK findDialog(HWND window, LPARAM found)
{
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32770")
        *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

// Closing the window is part of the run: it is where Wine may wait on X11.
bool dialogOpen()
{
    bool found = false;
    EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Done once the job has ended, its window is gone, and a probe posted after
// that has been answered.
bool drained()
{
    if (probe.jobEnded == 0)
        return false;
    if (probe.windowGone == 0) {
        if (dialogOpen())
            return false;
        probe.windowGone = Bench::seconds();
    }
    for (size_t n = probe.posted; n-- > 0;) {
        if (probe.postedAt[n] <= probe.windowGone)
            return false;
        if (probe.answeredAt[n] != 0) {
            probe.stopped = probe.answeredAt[n];
            return true;
        }
    }
    return false;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case probeMessage:
        if (wParam < capacity)
            probe.answeredAt[wParam] = Bench::seconds();
        if (drained())
            PostQuitMessage(0);
        return 0;
    case WM_TIMER:
        if (wParam == tickTimer && probe.tickCount < capacity)
            probe.ticks[probe.tickCount++] = Bench::seconds();
        if (wParam == startTimer) {
            KillTimer(window, startTimer);
            startUpload();
        }
        if (wParam == timeoutTimer) {
            probe.timedOut = true;
            PostQuitMessage(1);
        }
        return 0;
    case WM_CLOSE:
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

struct Spread {
    double p50 = 0, p99 = 0, max = 0;
    size_t count = 0;
};

Spread spread(std::vector<double> values)
{
    Spread s;
    s.count = values.size();
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    s.p50 = values[values.size() / 2];
    s.p99 = values[std::min(values.size() - 1, static_cast<size_t>(values.size() * 0.99))];
    s.max = values.back();
    return s;
}

// Queue waits of the probes posted in [from, to), in ms.
std::vector<double> waits(double from, double to)
{
    std::vector<double> out;
    for (size_t n = 0; n < probe.posted; ++n) {
        double at = probe.postedAt[n];
        if (at < from || at >= to)
            continue;
        double answered = probe.answeredAt[n];
        out.push_back(((answered != 0 ? answered : Bench::seconds()) - at) * 1000);
    }
    return out;
}

// The probe that waited longest: when it was posted, and how much of its
// wait PostMessageW itself took (a stalled poster is no stalled window).
struct Worst {
    double at = 0;
    double inPost = 0;
};

Worst worst(double from, double to)
{
    Worst w;
    double longest = -1;
    for (size_t n = 0; n < probe.posted; ++n) {
        if (probe.postedAt[n] < from || probe.postedAt[n] >= to || probe.answeredAt[n] == 0)
            continue;
        if (probe.answeredAt[n] - probe.postedAt[n] > longest) {
            longest = probe.answeredAt[n] - probe.postedAt[n];
            w.at = probe.postedAt[n];
            w.inPost = (probe.returnedAt[n] - probe.postedAt[n]) * 1000;
        }
    }
    return w;
}

// How late each timer tick in [from, to) came after the one before, in ms.
std::vector<double> lateness(double from, double to)
{
    std::vector<double> out;
    for (size_t n = 1; n < probe.tickCount; ++n) {
        if (probe.ticks[n] < from || probe.ticks[n] >= to)
            continue;
        out.push_back(std::max(0.0, (probe.ticks[n] - probe.ticks[n - 1]) * 1000 - probe.period));
    }
    return out;
}

// When the tick that came latest arrived.
double worstTickAt(double from, double to)
{
    double longest = -1, at = 0;
    for (size_t n = 1; n < probe.tickCount; ++n) {
        if (probe.ticks[n] < from || probe.ticks[n] >= to)
            continue;
        if (probe.ticks[n] - probe.ticks[n - 1] > longest) {
            longest = probe.ticks[n] - probe.ticks[n - 1];
            at = probe.ticks[n];
        }
    }
    return at;
}

HMODULE refusedModule = nullptr;

LRESULT CALLBACK refuseWindows(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND &&
        reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->hInstance == reinterpret_cast<HINSTANCE>(refusedModule))
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND createMainWindow()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = mainWindowClass;
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, mainWindowClass, L"WTW (benchmark)", WS_OVERLAPPEDWINDOW, 40, 40, 320, 480,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return window;
}

bool findSendFile(RecordingHost& host)
{
    for (const HostCall& call : host.calls()) {
        if (call.function == L"createFunction" && call.name == L"wtwSkarvelin/sendFile") {
            probe.sendFile = reinterpret_cast<HostHandler>(call.wParam);
            probe.sendFileUser = reinterpret_cast<void*>(call.lParam);
            return true;
        }
    }
    return false;
}

void printSpread(const char* prefix, const Spread& s)
{
    std::string p = prefix;
    Bench::result((p + "_p50").c_str(), s.p50);
    Bench::result((p + "_p99").c_str(), s.p99);
    Bench::result((p + "_max").c_str(), s.max);
    Bench::result((p + "_count").c_str(), static_cast<unsigned long long>(s.count));
}

}

int main(int argc, char** argv)
{
    if (argc < 7) {
        std::fprintf(stderr, "usage: %s PLUGIN FILE HOST USER PASSWORD DIR [PERIOD_MS] [TIMEOUT_S] [HOSTKEY]\n",
                     argv[0]);
        return 2;
    }
    probe.period = argc > 7 ? static_cast<DWORD>(std::atoi(argv[7])) : 10;
    UINT timeoutSeconds = argc > 8 ? static_cast<UINT>(std::atoi(argv[8])) : 600;
    probe.path = Bench::widen(argv[2]);

    HANDLE file = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size = {};
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size)) {
        Bench::result("error", std::string("cannot open ") + argv[2]);
        return 1;
    }
    CloseHandle(file);

    probe.window = createMainWindow();
    RecordingHost host;
    Bench::configure(host, argv[3], argv[4], argv[5], argv[6]);
    if (argc > 9)
        Bench::useSftp(host, argv[3], argv[9]);
    recordingCall = host.table.callFunction;
    host.table.callFunction = callFunction;

    HMODULE plugin = LoadLibraryW(Bench::widen(argv[1]).c_str());
    auto load = plugin ? reinterpret_cast<int(__cdecl*)(DWORD_PTR, HostFunctionTable*)>(
                             GetProcAddress(plugin, "pluginLoad"))
                       : nullptr;
    auto unload = plugin ? reinterpret_cast<int(__cdecl*)(DWORD_PTR)>(GetProcAddress(plugin, "pluginUnload"))
                         : nullptr;
    if (!load || !unload) {
        Bench::result("error", std::string("cannot load ") + argv[1]);
        return 1;
    }
    char noWindow[4] = "";
    if (GetEnvironmentVariableA("BENCH_PROBE_NO_WINDOW", noWindow, sizeof noWindow) && noWindow[0] == '1') {
        refusedModule = plugin;
        SetWindowsHookExW(WH_CBT, refuseWindows, nullptr, GetCurrentThreadId());
    }
    load(0, &host.table);
    if (!findSendFile(host)) {
        Bench::result("error", "the plug-in created no wtwSkarvelin/sendFile");
        return 1;
    }

    SetTimer(probe.window, tickTimer, probe.period, nullptr);
    SetTimer(probe.window, startTimer, 1000, nullptr);
    SetTimer(probe.window, timeoutTimer, timeoutSeconds * 1000, nullptr);
    double idleStart = Bench::seconds();
    HANDLE poster = CreateThread(nullptr, 0, postProbes, nullptr, 0, nullptr);

    // The messenger's loop: modeless dialogs get their keyboard handling.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        HWND root = GetAncestor(message.hwnd, GA_ROOT);
        if (root && root != probe.window && IsDialogMessageW(root, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    probe.stop = true;
    WaitForSingleObject(poster, 5000);
    KillTimer(probe.window, tickTimer);

    if (probe.timedOut || probe.delivered == 0) {
        Bench::result("error", probe.timedOut ? "timed out (a message box may be waiting)" : "no link delivered");
        return 1;
    }
    double end = probe.windowGone;
    printSpread("post", spread(waits(probe.uploadStart, end)));
    Worst w = worst(probe.uploadStart, end);
    Bench::result("post_worst_at", w.at - probe.uploadStart);
    Bench::result("post_worst_in_post", w.inPost);
    Bench::result("timer_worst_at", worstTickAt(probe.uploadStart, probe.stopped) - probe.uploadStart);
    Bench::result("delivered_at", probe.delivered - probe.uploadStart);
    Bench::result("ended_at", probe.jobEnded - probe.uploadStart);
    Bench::result("closed_at", probe.windowGone - probe.uploadStart);
    printSpread("timer", spread(lateness(probe.uploadStart, probe.stopped)));
    Bench::result("idle_post_max", spread(waits(idleStart + 0.1, probe.uploadStart)).max);
    Bench::result("idle_timer_max", spread(lateness(idleStart + 0.1, probe.uploadStart)).max);
    auto bytes = static_cast<unsigned long long>(size.QuadPart);
    double seconds = probe.delivered - probe.uploadStart;
    Bench::result("bytes", bytes);
    Bench::result("seconds", seconds);
    Bench::result("mbps", bytes / 1048576.0 / seconds);
    Bench::result("peak_ws", Bench::peakWorkingSet());

    unload(0);
    FreeLibrary(plugin);
    DestroyWindow(probe.window);
    return 0;
}
