// The thread manager with jobs that run real threads, and its log lines as the
// host receives them.
#include "jobs/ThreadManager.h"
#include "plugin/HostLog.h"

#include "tests/jobs/LogRecorder.h"
#include "tests/jobs/TestJob.h"
#include "tests/jobs/Waiting.h"

#include <Poco/Exception.h>
#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <cwctype>
#include <string>
#include <thread>
#include <vector>

using Vornix::ThreadManager;

namespace {

// How the host must see a handle: upper-case hexadecimal digits, two per
// byte of a pointer (eight in the 32-bit messenger).
const size_t handleDigits = 2 * sizeof(void*);

std::wstring hex(HANDLE handle)
{
    wchar_t text[24];
    swprintf(text, 24, L"%0*llX", static_cast<int>(handleDigits),
             static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(handle)));
    return text;
}

bool isPointerWideUpperHex(const std::wstring& text)
{
    if (text.size() != handleDigits)
        return false;
    for (wchar_t c : text)
        if (!std::iswdigit(c) && !(c >= L'A' && c <= L'F'))
            return false;
    return true;
}

// The handle text between a line's prefix and suffix.
std::wstring handleIn(const std::wstring& line, const std::wstring& prefix, const std::wstring& suffix)
{
    if (line.size() < prefix.size() + suffix.size() || line.compare(0, prefix.size(), prefix) != 0 ||
        line.compare(line.size() - suffix.size(), suffix.size(), suffix) != 0)
        return L"(line is " + line + L")";
    return line.substr(prefix.size(), line.size() - prefix.size() - suffix.size());
}

class ThreadManagerTest : public testing::Test {
protected:
    void TearDown() override
    {
        for (HANDLE event : finishEvents)
            SetEvent(event);
        ThreadManager::teardown(manager);
        for (HANDLE event : events)
            CloseHandle(event);
    }

    HANDLE newEvent()
    {
        events.push_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        return events.back();
    }

    struct Job {
        TestJob* job;
        HANDLE finish;
        HANDLE freed;
        HANDLE handle;  // as the manager sees it
    };

    Job makeJob(int id, TestJob::Kind kind, int stopsToEnd = 0)
    {
        HANDLE finish = newEvent();
        finishEvents.push_back(finish);
        HANDLE freed = newEvent();
        auto job = new TestJob(id, kind, finish, freed, stopsToEnd);
        HANDLE handle = kind == TestJob::HandleVanishes ? nullptr : job->getHandle();
        return {job, finish, freed, handle};
    }

    // A handle of the test's own on the job's thread: the manager closes its handle when it reaps the job.
    HANDLE ownHandle(const Job& job)
    {
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), job.handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
        events.push_back(copy);
        return copy;
    }

    size_t listed() { return manager->snapshot().listedJobs; }

    HANDLE cleaner() { return manager->snapshot().cleanerThread; }

    // The cleaner clears its handle first and writes its last line after.
    bool cleanersEnded(size_t count = 1)
    {
        return eventually([&] { return cleaner() == nullptr && log.count(L"Cleaner thread ") == count; });
    }

    LogRecorder log;
    ThreadManager* manager = new ThreadManager();
    std::vector<HANDLE> events;
    std::vector<HANDLE> finishEvents;
};

TEST_F(ThreadManagerTest, StartsEmptyWithNoCleaner)
{
    EXPECT_EQ(0u, listed());
    EXPECT_EQ(nullptr, cleaner());
    EXPECT_FALSE(manager->snapshot().stopping);
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(ThreadManagerTest, JobWithoutThreadIsFreedAtOnceAndTheCleanerComesAndGoes)
{
    Job job = makeJob(1, TestJob::NoThread);
    manager->startJob(job.job);
    EXPECT_TRUE(isSet(job.freed));
    EXPECT_EQ(0u, listed());

    ASSERT_TRUE(cleanersEnded());
    std::vector<std::wstring> lines = log.messages();
    ASSERT_EQ(2u, lines.size());
    std::wstring started = handleIn(lines[0], L"Starting cleaner thread ", L"");
    EXPECT_TRUE(isPointerWideUpperHex(started)) << started;
    EXPECT_NE(std::wstring(handleDigits, L'0'), started);
    EXPECT_EQ(L"Cleaner thread " + started + L" has ended", lines[1]);
}

TEST_F(ThreadManagerTest, EveryLineGoesToWtwLogAsALevelOneFtpRecord)
{
    Job running = makeJob(1, TestJob::Running);
    manager->startJob(running.job);
    SetEvent(running.finish);
    ASSERT_TRUE(isSet(running.freed, 10000));
    ASSERT_TRUE(cleanersEnded());

    std::vector<LogLine> lines = log.lines();
    ASSERT_EQ(3u, lines.size());
    for (const LogLine& line : lines) {
        EXPECT_EQ(L"WTW/Log", line.function);
        EXPECT_EQ(sizeof(LogRecord), line.size);
        EXPECT_EQ(1u, line.level);
        EXPECT_EQ(L"FTP", line.source);
        EXPECT_EQ(0u, line.reserved[0]);
        EXPECT_EQ(0u, line.reserved[1]);
        EXPECT_EQ(0, line.lParam);
    }
    EXPECT_EQ(L"Thread " + hex(running.handle) + L" has ended", lines[1].message);
}

TEST_F(ThreadManagerTest, OlderJobThatEndsFirstIsReapedOnlyAfterTheNewer)
{
    Job older = makeJob(1, TestJob::Running);
    Job newer = makeJob(2, TestJob::Running);
    HANDLE olderThread = ownHandle(older);
    manager->startJob(older.job);
    manager->startJob(newer.job);

    SetEvent(older.finish);
    ASSERT_TRUE(isSet(olderThread, 10000));
    Sleep(2500);  // the cleaner's passes go to the newer job meanwhile
    EXPECT_FALSE(isSet(older.freed));
    EXPECT_EQ(2u, listed());

    SetEvent(newer.finish);
    ASSERT_TRUE(isSet(older.freed, 10000));
    EXPECT_TRUE(isSet(newer.freed));
    ASSERT_TRUE(cleanersEnded());
    EXPECT_EQ(0u, listed());

    std::vector<std::wstring> lines = log.messages();
    ASSERT_EQ(4u, lines.size());
    std::wstring cleanerText = handleIn(lines[0], L"Starting cleaner thread ", L"");
    EXPECT_EQ(L"Thread " + hex(newer.handle) + L" has ended", lines[1]);
    EXPECT_EQ(L"Thread " + hex(older.handle) + L" has ended", lines[2]);
    EXPECT_EQ(L"Cleaner thread " + cleanerText + L" has ended", lines[3]);
}

TEST_F(ThreadManagerTest, JobStartedWhileTheCleanerWaitsIsReapedByTheSameCleaner)
{
    Job first = makeJob(1, TestJob::Running);
    manager->startJob(first.job);
    Sleep(300);  // the cleaner is now waiting on the first job
    Job second = makeJob(2, TestJob::Running);
    manager->startJob(second.job);
    EXPECT_EQ(2u, listed());

    SetEvent(first.finish);
    SetEvent(second.finish);
    ASSERT_TRUE(isSet(first.freed, 10000));
    ASSERT_TRUE(isSet(second.freed, 10000));
    ASSERT_TRUE(cleanersEnded());
    EXPECT_EQ(0u, listed());
    EXPECT_EQ(1u, log.count(L"Starting cleaner thread "));
    EXPECT_EQ(1u, log.count(L"Thread " + hex(first.handle) + L" has ended"));
    EXPECT_EQ(1u, log.count(L"Thread " + hex(second.handle) + L" has ended"));
}

// The cleaner writes its last line after it has found the list empty: a job
// started on another thread at that very moment must still be reaped.
TEST_F(ThreadManagerTest, JobStartedAsTheCleanerEndsIsReaped)
{
    Job late = makeJob(2, TestJob::Running);
    std::atomic<bool> started(false);
    log.onLine([&](const std::wstring& line) {
        if (started || line.compare(0, 15, L"Cleaner thread ") != 0)
            return;
        started = true;
        std::thread other([&] { manager->startJob(late.job); });
        other.join();
    });
    Job first = makeJob(1, TestJob::NoThread);
    manager->startJob(first.job);

    ASSERT_TRUE(eventually([&] { return started.load(); }));
    ASSERT_TRUE(eventually([&] { return log.count(L"Starting cleaner thread ") == 2; }));
    SetEvent(late.finish);
    EXPECT_TRUE(isSet(late.freed, 10000));
    EXPECT_TRUE(cleanersEnded(2));
    EXPECT_EQ(0u, listed());
    EXPECT_EQ(1u, log.count(L"Thread " + hex(late.handle) + L" has ended"));
}

TEST_F(ThreadManagerTest, JobWhoseHandleIsGoneByThenIsFreedWithItsOwnLine)
{
    Job vanishing = makeJob(1, TestJob::HandleVanishes);
    manager->startJob(vanishing.job);
    ASSERT_TRUE(isSet(vanishing.freed, 10000));
    ASSERT_TRUE(cleanersEnded());
    EXPECT_EQ(0u, listed());

    std::vector<std::wstring> lines = log.messages();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(L"Thread handle is NULL", lines[1]);
    EXPECT_EQ(0u, lines[2].find(L"Cleaner thread "));
}

TEST_F(ThreadManagerTest, LaterJobStartsANewCleanerOnceTheFirstHasEnded)
{
    Job first = makeJob(1, TestJob::NoThread);
    manager->startJob(first.job);
    ASSERT_TRUE(cleanersEnded());
    Job second = makeJob(2, TestJob::Running);
    manager->startJob(second.job);
    EXPECT_NE(nullptr, cleaner());
    SetEvent(second.finish);
    ASSERT_TRUE(isSet(second.freed, 10000));
    ASSERT_TRUE(cleanersEnded(2));
    EXPECT_EQ(2u, log.count(L"Starting cleaner thread "));
}

class ThreadManagerTeardownTest : public ThreadManagerTest {
protected:
    // Teardown frees the manager; the fixture must not touch it again.
    ULONGLONG tearDownTimed()
    {
        ULONGLONG start = GetTickCount64();
        ThreadManager::teardown(manager);
        manager = nullptr;
        return GetTickCount64() - start;
    }
};

TEST_F(ThreadManagerTeardownTest, OfNoManagerDoesNothing)
{
    ThreadManager::teardown(nullptr);
}

TEST_F(ThreadManagerTeardownTest, WithNoCleanerDoesNotWait)
{
    EXPECT_LT(tearDownTimed(), 5000u);
}

TEST_F(ThreadManagerTeardownTest, AfterTheCleanerHasEndedDoesNotWait)
{
    Job job = makeJob(1, TestJob::NoThread);
    manager->startJob(job.job);
    ASSERT_TRUE(cleanersEnded());
    EXPECT_LT(tearDownTimed(), 5000u);
}

TEST_F(ThreadManagerTeardownTest, AsksTheNewestJobToStopUntilItEndsThenTheOlder)
{
    Job older = makeJob(1, TestJob::Running, 1);
    Job newer = makeJob(2, TestJob::Running, 2);
    manager->startJob(older.job);
    manager->startJob(newer.job);
    TestJob::clearStopJournal();

    EXPECT_LE(tearDownTimed(), 15000u + 1000u);
    EXPECT_TRUE(isSet(older.freed));
    EXPECT_TRUE(isSet(newer.freed));
    EXPECT_EQ((std::vector<int>{2, 2, 1}), TestJob::stopJournal());

    std::vector<std::wstring> lines = log.messages();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(L"Thread " + hex(newer.handle) + L" has ended", lines[1]);
    EXPECT_EQ(L"Thread " + hex(older.handle) + L" has ended", lines[2]);
}

TEST_F(ThreadManagerTeardownTest, StopsWritingToTheHostsLog)
{
    EXPECT_LT(tearDownTimed(), 5000u);
    Vornix::logToHost(1, L"FTP", L"after unload");
    EXPECT_TRUE(log.lines().empty());
}

// The cleaner closes its own handle as it ends, while teardown waits on it.
TEST_F(ThreadManagerTeardownTest, ReturnsOnceACleanerEndingMeanwhileHasEnded)
{
    Job job = makeJob(1, TestJob::Running);
    HANDLE unloading = newEvent();
    HANDLE tornDown = newEvent();
    std::thread unload;
    log.onLine([&](const std::wstring& line) {
        if (line.compare(0, 7, L"Thread ") != 0)
            return;
        unload = std::thread([&] {
            ThreadManager::teardown(manager);
            SetEvent(tornDown);
        });
        SetEvent(unloading);
        Sleep(500);  // teardown takes its handle on the cleaner and waits
    });
    manager->startJob(job.job);
    SetEvent(job.finish);

    ASSERT_TRUE(isSet(unloading, 10000));
    EXPECT_TRUE(isSet(tornDown, 10000));
    unload.join();
    manager = nullptr;
    EXPECT_TRUE(isSet(job.freed));
    EXPECT_EQ(1u, log.count(L"Cleaner thread "));
}

class LogToHostTest : public testing::Test {
protected:
    LogRecorder log;
};

TEST_F(LogToHostTest, FormatsWithTheArgumentsIntoOneRecord)
{
    Vornix::logToHost(7, L"Src", L"%d files, %ls", 3, L"żółw");
    std::vector<LogLine> lines = log.lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(L"WTW/Log", lines[0].function);
    EXPECT_EQ(sizeof(LogRecord), lines[0].size);
    EXPECT_EQ(7u, lines[0].level);
    EXPECT_EQ(L"Src", lines[0].source);
    EXPECT_EQ(L"3 files, żółw", lines[0].message);
    EXPECT_EQ(0u, lines[0].reserved[0]);
    EXPECT_EQ(0u, lines[0].reserved[1]);
    EXPECT_EQ(0, lines[0].lParam);
}

TEST_F(LogToHostTest, PointerIsUpperCaseHexOfItsFullWidth)
{
    Vornix::logToHost(1, L"FTP", L"Thread %p has ended", reinterpret_cast<void*>(0x00ab12cd));
    Vornix::logToHost(1, L"FTP", L"Cleaner thread %p has ended", static_cast<void*>(nullptr));
    Vornix::logToHost(1, L"FTP", L"%p", reinterpret_cast<void*>(0xfedcba98));
    const std::wstring wider(handleDigits - 8, L'0');  // none in the 32-bit messenger
    EXPECT_EQ((std::vector<std::wstring>{L"Thread " + wider + L"00AB12CD has ended",
                                         L"Cleaner thread " + wider + L"00000000 has ended", wider + L"FEDCBA98"}),
              log.messages());
}

TEST_F(LogToHostTest, TextIsCutAfterIts2047thCharacter)
{
    std::wstring text;
    for (int i = 0; i < 3000; ++i)
        text += static_cast<wchar_t>(L'a' + i % 26);
    for (size_t length : {2046u, 2047u, 2048u, 3000u})
        Vornix::logToHost(1, L"FTP", L"%ls", text.substr(0, length).c_str());

    std::vector<std::wstring> lines = log.messages();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(text.substr(0, 2046), lines[0]);
    EXPECT_EQ(text.substr(0, 2047), lines[1]);
    EXPECT_EQ(text.substr(0, 2047), lines[2]);
    EXPECT_EQ(text.substr(0, 2047), lines[3]);
}

TEST_F(LogToHostTest, ACaughtExceptionIsLoggedWithWhereItWasCaught)
{
    try {
        throw Poco::IOException("disk gone");
    } catch (...) {
        Vornix::logCaughtException(L"pluginLoad");
    }
    try {
        throw std::bad_alloc();
    } catch (...) {
        Vornix::logCaughtException(L"Vornix/sendFile");
    }
    try {
        throw 7;
    } catch (...) {
        Vornix::logCaughtException(L"options page");
    }
    std::vector<LogLine> lines = log.lines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(1u, lines[0].level);
    EXPECT_EQ(L"FTP", lines[0].source);
    EXPECT_EQ(L"pluginLoad: I/O error: disk gone", lines[0].message);
    EXPECT_EQ(L"Vornix/sendFile: std::bad_alloc", lines[1].message);
    EXPECT_EQ(L"options page: unknown exception", lines[2].message);
}

TEST_F(LogToHostTest, WithoutAHostNothingIsCalled)
{
    Vornix::setLogHost(nullptr);
    Vornix::logToHost(1, L"FTP", L"nobody listens");
    EXPECT_TRUE(log.lines().empty());
}

}
