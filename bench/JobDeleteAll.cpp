// The plug-in's delete-all run: Vornix::FtpDelAllThread linked in directly,
// with settings from an in-memory host. Its question is answered "yes" and its
// closing message box returns at once (both through this program's imports).
//
// Usage: bench_job_delete_all HOST USER PASSWORD DIR
// Prints key=value lines: seconds (the yes to the job's end), message (the
// closing box's text); or error=TEXT with exit code 1.
#include "bench/BenchHost.h"

#include "jobs/FtpDelAllThread.h"
#include "plugin/PluginState.h"
#include "plugin/SettingsStore.h"

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s HOST USER PASSWORD DIR\n", argv[0]);
        return 2;
    }
    RecordingHost host;
    Bench::configure(host, argv[1], argv[2], argv[3], argv[4]);
    Bench::BoxAnswers boxes;
    Bench::plugIn(host);

    auto job = new Vornix::FtpDelAllThread();
    double start = Bench::BoxAnswers::lastTime();  // the question was answered
    HANDLE thread = job->getHandle();
    if (!thread || WaitForSingleObject(thread, 600 * 1000) != WAIT_OBJECT_0) {
        Bench::result("error", "the job did not start or did not end");
        return 1;
    }
    double elapsed = Bench::seconds() - start;
    CloseHandle(thread);
    delete job;

    // The boxes' texts come back with their Polish letters as '?'.
    std::string message = Bench::BoxAnswers::lastText();
    if (Bench::BoxAnswers::count() != 2 || message != "Wszystkie pliki usuni?to pomy?lnie") {
        Bench::result("error", message);
        return 1;
    }
    Bench::result("seconds", elapsed);
    Bench::result("message", message);
    Bench::result("peak_ws", Bench::peakWorkingSet());
    SettingsStore::closeSettings();
    return 0;
}
