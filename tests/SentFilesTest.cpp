// The list of sent files: its line format and its file beside the settings.
#include "tests/RecordingHost.h"
#include "plugin/PluginState.h"
#include "plugin/SentFiles.h"
#include "plugin/SettingsStore.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

SentFileRecord awkwardRecord()
{
    SentFileRecord record;
    record.sentAt = 1765300000;
    record.protocol = 1;
    record.server = L"[::1]:2222";
    record.dir = L"pub\\tab\there";
    record.name = L"zażółć\\n gęślą.txt";
    record.localPath = L"C:\\Dokumenty\\zażółć\\n gęślą.txt";
    record.size = 5000000000LL;
    record.serverTime = -1;
    record.contact = L"ala\r\nma kota";
    record.link = L"http://example.org/za%C5%BC";
    return record;
}

TEST(SentFileRecordTest, EveryFieldReadsBackAsWrittenWhateverItHolds)
{
    SentFileRecord record = awkwardRecord();
    std::string line = record.toLine();
    EXPECT_EQ(std::string::npos, line.find_first_of("\r\n"));
    SentFileRecord read;
    ASSERT_TRUE(SentFileRecord::fromLine(line, read));
    EXPECT_EQ(line, read.toLine());
    EXPECT_TRUE(read.sameFile(record));
    EXPECT_EQ(record.contact, read.contact);
}

TEST(SentFileRecordTest, LinesThatAreNotOneRecordAreRefused)
{
    const std::string good = "1\t0\th:21\t\ta.txt\tx\t5\t-1\talice\thttp://h/a.txt";
    SentFileRecord read;
    ASSERT_TRUE(SentFileRecord::fromLine(good, read));
    for (const std::string& bad : {std::string("1\t0\th:21\t\ta.txt\tx\t5\t-1\talice"),
                                   good + "\textra", std::string("x\t0\th:21\t\ta.txt\tx\t5\t-1\talice\t"),
                                   std::string("1\t2\th:21\t\ta.txt\tx\t5\t-1\talice\t"),
                                   std::string("1\t0\th:21\t\t\tx\t5\t-1\talice\t"),
                                   std::string("1\t0\th:21\t\ta.txt\tx\t-5\t-1\talice\t"),
                                   std::string("1\t0\th:21\t\ta\\q.txt\tx\t5\t-1\talice\t"),
                                   std::string("1\t0\th:21\t\ta\xff.txt\tx\t5\t-1\talice\t"),
                                   std::string("99999999999999999999\t0\th:21\t\ta.txt\tx\t5\t-1\talice\t")})
        EXPECT_FALSE(SentFileRecord::fromLine(bad, read)) << bad;
}

class SentFilesTest : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temporary[MAX_PATH];
        GetTempPathW(MAX_PATH, temporary);
        folder = std::wstring(temporary) + L"vornix-sent-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        host.configFile = folder + L"\\Vornix.cfg";
        pluginState.host = &host.table;
        pluginState.moduleHandle = GetModuleHandleW(nullptr);
        SettingsStore::openSettings();
    }
    void TearDown() override
    {
        SettingsStore::closeSettings();
        pluginState.host = nullptr;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        while (search != INVALID_HANDLE_VALUE) {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
            if (!FindNextFileW(search, &found)) {
                FindClose(search);
                break;
            }
        }
        RemoveDirectoryW(folder.c_str());
    }
    static std::string contentOf(const std::wstring& path)
    {
        std::ifstream file(path.c_str(), std::ios::binary);
        std::ostringstream content;
        content << file.rdbuf();
        return content.str();
    }
    RecordingHost host;
    std::wstring folder;
};

TEST_F(SentFilesTest, AddedRecordsStayUntilForgottenInTheOrderSent)
{
    EXPECT_EQ(folder + L"\\Vornix.sent.txt", SentFiles::path());
    EXPECT_TRUE(SentFiles::all().empty());
    SentFileRecord first = awkwardRecord(), second = awkwardRecord();
    second.name = L"b.txt";
    ASSERT_TRUE(SentFiles::add(first));
    ASSERT_TRUE(SentFiles::add(second));
    EXPECT_EQ("Vornix sent files 1\r\n" + first.toLine() + "\r\n" + second.toLine() + "\r\n",
              contentOf(SentFiles::path()));
    ASSERT_TRUE(SentFiles::forget([&](const SentFileRecord& record) { return record.sameFile(first); }));
    std::vector<SentFileRecord> left = SentFiles::all();
    ASSERT_EQ(1u, left.size());
    EXPECT_EQ(L"b.txt", left[0].name);
}

// A list damaged by hand or by a crash, or grown past its bound, is kept
// aside whole, and a new one begins.
TEST_F(SentFilesTest, DamagedListIsSetAsideAndANewOneBegins)
{
    std::string huge = std::string(SentFiles::header) + "\r\n";
    while (huge.size() <= SentFiles::maxFileBytes)
        huge += awkwardRecord().toLine() + "\r\n";
    for (const std::string& damaged : {std::string("Vornix sent files 1\r\n1\t0\th:21\t\ta.txt\r\n"), huge}) {
        SCOPED_TRACE(damaged.size());
        std::ofstream(SentFiles::path().c_str(), std::ios::binary) << damaged;
        EXPECT_TRUE(SentFiles::all().empty());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(SentFiles::path().c_str()));
        WIN32_FIND_DATAW aside;
        HANDLE search = FindFirstFileW((folder + L"\\Vornix.sent.damaged-*.txt").c_str(), &aside);
        ASSERT_NE(INVALID_HANDLE_VALUE, search);
        FindClose(search);
        std::wstring asidePath = folder + L"\\" + aside.cFileName;
        EXPECT_TRUE(contentOf(asidePath) == damaged);
        DeleteFileW(asidePath.c_str());
        ASSERT_TRUE(SentFiles::add(awkwardRecord()));
        EXPECT_EQ(1u, SentFiles::all().size());
        DeleteFileW(SentFiles::path().c_str());
    }
}

}
