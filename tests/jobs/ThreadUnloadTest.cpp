// Unload while a job still runs, with the manager and the job in a library as
// in the plug-in: teardown gives up after its bounded wait, and neither the
// manager, the job nor the library's code goes away under the running threads.
#include "tests/jobs/LogRecorder.h"
#include "tests/jobs/ProbeLibrary.h"
#include "tests/jobs/Waiting.h"

#include <gtest/gtest.h>

namespace {

TEST(UnloadWithARunningJob, TheLibraryStaysUntilTheLastThreadHasEnded)
{
    LogRecorder log;
    ProbeLibrary library;
    ASSERT_TRUE(library.loaded());
    HANDLE finish = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE freed = CreateEventW(nullptr, TRUE, FALSE, nullptr);

    library.startJob(&log.table, finish, freed);
    ASSERT_EQ(1u, log.count(L"Starting cleaner thread "));
    ULONGLONG start = GetTickCount64();
    library.teardown();
    ULONGLONG waited = GetTickCount64() - start;
    EXPECT_GE(waited, 14900u);
    EXPECT_LE(waited, 15000u + 2000u);
    EXPECT_FALSE(isSet(freed));
    size_t linesAtUnload = log.lines().size();

    EXPECT_TRUE(library.unload());
    EXPECT_TRUE(library.mapped());
    Sleep(1500);  // the orphaned cleaner keeps polling the job
    EXPECT_TRUE(library.mapped());
    EXPECT_FALSE(isSet(freed));

    SetEvent(finish);
    EXPECT_TRUE(isSet(freed, 10000));
    EXPECT_TRUE(eventually([&] { return !library.mapped(); }));
    EXPECT_EQ(linesAtUnload, log.lines().size());
    CloseHandle(finish);
    CloseHandle(freed);
}

}
