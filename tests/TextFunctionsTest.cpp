// The plug-in's pure text functions: links, sizes, times, listings, addresses,
// the file dialog's answer.
#include "ui/DeleteAllSummary.h"
#include "jobs/FtpDelAllThread.h"
#include "jobs/LinkText.h"
#include "remote/NameEncoding.h"
#include "remote/NameListing.h"
#include "remote/ServerAddress.h"
#include "ui/FileChoice.h"
#include "ui/ProgressText.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

namespace {

NameListing listing(const std::string& text)
{
    std::istringstream stream(text);
    return NameListing::read(stream);
}

TEST(DeleteAllSummaryTest, CountsTakeThePolishPluralForms)
{
    const std::pair<size_t, const wchar_t*> forms[] = {
        {0, L"0 plików"},  {1, L"1 plik"},    {2, L"2 pliki"},    {4, L"4 pliki"},      {5, L"5 plików"},
        {11, L"11 plików"}, {12, L"12 plików"}, {14, L"14 plików"}, {21, L"21 plików"},  {22, L"22 pliki"},
        {104, L"104 pliki"}, {112, L"112 plików"}, {1001, L"1001 plików"}};
    for (const auto& form : forms)
        EXPECT_EQ(form.second, DeleteAllSummary::fileCount(form.first));
    EXPECT_EQ(L"Nie usunięto żadnego pliku. Pominięto 3 pliki o nazwach ze znakiem nowego wiersza, których nie "
              L"można bezpiecznie przesłać do serwera FTP.",
              DeleteAllSummary::skippedText(0, 3));
}

TEST(NameEncodingTest, Utf8OnlyWhereTheFeatReplyListsIt)
{
    EXPECT_TRUE(NameEncoding::announcesUtf8("211-Features:\r\n MDTM\r\n UTF8\r\n211 End"));
    EXPECT_TRUE(NameEncoding::announcesUtf8("211-Extensions supported:\n utf8 \n211 END"));
    EXPECT_FALSE(NameEncoding::announcesUtf8("211-Features:\r\n LANG en;UTF8\r\n UTF8X\r\n211 End"));
    EXPECT_FALSE(NameEncoding::announcesUtf8("211 UTF8 is mentioned, not listed"));
    EXPECT_FALSE(NameEncoding::announcesUtf8("500 FEAT not understood"));
}

// The tests run on a Polish system: the code page is Windows-1250.
TEST(NameEncodingTest, NamesTravelInTheSessionsEncodingAndShowReadably)
{
    std::string out;
    EXPECT_TRUE(NameEncoding(true).encode(L"\u017C\u6587", out));
    EXPECT_EQ("\xC5\xBC\xE6\x96\x87", out);
    EXPECT_TRUE(NameEncoding(false).encode(L"\u017C", out));
    EXPECT_EQ("\xBF", out);
    EXPECT_FALSE(NameEncoding(false).encode(L"\u6587", out));
    EXPECT_EQ(L"\u017C\u6587", NameEncoding(true).decode("\xC5\xBC\xE6\x96\x87"));
    // An older client's name on a UTF-8 server.
    EXPECT_EQ(L"\u017C", NameEncoding(true).decode("\xBF"));
    EXPECT_EQ(L"\u0139\u013D", NameEncoding(false).decode("\xC5\xBC"));
}

TEST(UrlEncode, KeepsOnlyTheUnreservedSet)
{
    EXPECT_EQ("a%20b%2Dc%5Fd.txt", LinkText::urlEncode("a b-c_d.txt"));
    EXPECT_EQ("~!*()'.AZaz09", LinkText::urlEncode("~!*()'.AZaz09"));
    EXPECT_EQ("%B3%F3d%9F.txt", LinkText::urlEncode("\xB3\xF3\x64\x9F.txt"));
    EXPECT_EQ("%25%2F%3F%26%23%00%FF", LinkText::urlEncode(std::string("%/?&#\0\xFF", 7)));
    EXPECT_EQ("1291712345%5Fphoto.jpg", LinkText::urlEncode("1291712345_photo.jpg"));
}

TEST(UrlEncode, LinkGetsOneSeparator)
{
    EXPECT_EQ(L"http://h/f/a%20b", LinkText::linkFor(L"http://h/f", "a b"));
    EXPECT_EQ(L"http://h/f/a", LinkText::linkFor(L"http://h/f/", "a"));
    EXPECT_EQ(L"http://h/f\\a", LinkText::linkFor(L"http://h/f\\", "a"));
}

TEST(UrlEncode, SeveralLinksGoOneALineInOrder)
{
    EXPECT_EQ(L"http://h/b\r\nhttp://h/a", LinkText::linesFor(L"http://h", {"b", "a"}));
    EXPECT_EQ(L"http://h/a", LinkText::linesFor(L"http://h", {"a"}));
}

TEST(FileChoice, OneFullPathOrTheFolderAndItsNames)
{
    typedef std::vector<std::wstring> Paths;
    EXPECT_EQ(Paths{L"C:\\d\\a.txt"}, FileChoice::pathsOfChoice(L"C:\\d\\a.txt\0"));
    EXPECT_EQ((Paths{L"C:\\d\\b.txt", L"C:\\d\\a.txt"}), FileChoice::pathsOfChoice(L"C:\\d\0b.txt\0a.txt\0"));
    EXPECT_EQ((Paths{L"C:\\x", L"C:\\y"}), FileChoice::pathsOfChoice(L"C:\\\0x\0y\0"));
    // Full paths typed into the name box come back whole, from any folder.
    EXPECT_EQ((Paths{L"Z:\\p\\a", L"\\\\s\\q\\a"}), FileChoice::pathsOfChoice(L"C:\\d\0Z:\\p\\a\0\\\\s\\q\\a\0"));
}

TEST(FormatSize, BoundsAreStrict)
{
    EXPECT_EQ("42B", ProgressText::formatSize(42));
    EXPECT_EQ("0B", ProgressText::formatSize(0));
    EXPECT_EQ("1e+03B", ProgressText::formatSize(1024));
    EXPECT_EQ("5.1e+02B", ProgressText::formatSize(512));
    EXPECT_EQ("1.00KB", ProgressText::formatSize(1025));
    EXPECT_EQ("4.00KB", ProgressText::formatSize(4096));
    EXPECT_EQ("1.50KB", ProgressText::formatSize(1536));
    EXPECT_EQ("1024.00KB", ProgressText::formatSize(1048576));
    EXPECT_EQ("1.00MB", ProgressText::formatSize(1048577));
    EXPECT_EQ("1024.00MB", ProgressText::formatSize(1073741824.0f));
    EXPECT_EQ("2.00GB", ProgressText::formatSize(2147483648.0f));
    EXPECT_EQ("5.00GB", ProgressText::formatSize(5368709120.0f));
}

TEST(FormatRemaining, PadsEachFieldToTwoDigits)
{
    EXPECT_EQ("00:00:00", ProgressText::formatRemaining(0));
    EXPECT_EQ("01:02:05", ProgressText::formatRemaining(3725));
    EXPECT_EQ("100:00:00", ProgressText::formatRemaining(360000));
    EXPECT_EQ("00:00:59", ProgressText::formatRemaining(59));
    EXPECT_EQ("0B/52341B", ProgressText::formatStart(52341));
    EXPECT_EQ("0B/3000000000B", ProgressText::formatStart(3000000000LL));
}

TEST(NameListingTest, ReadsLinesOfAnyLengthWithAnyLineEnd)
{
    std::string longName(1000, 'x');
    NameListing crlf = listing("a.txt\r\n" + longName + "\r\nphoto.jpg\r\n");
    EXPECT_EQ((std::vector<std::string>{"a.txt", longName, "photo.jpg"}), crlf.names());
    EXPECT_TRUE(crlf.contains("photo.jpg"));
    EXPECT_FALSE(crlf.contains("Photo.jpg"));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), listing("a\nb").names());
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), listing("a\rb\r").names());
    EXPECT_TRUE(listing("").names().empty());
}

TEST(NameListingTest, NamesWithLineBreaksAreSetAside)
{
    NameListing mixed = listing("ok\r\nbad\rname\r\nDELE x\r\n");
    EXPECT_EQ((std::vector<std::string>{"ok", "DELE x"}), mixed.names());
    EXPECT_EQ((std::vector<std::string>{"bad\rname"}), mixed.unsafeNames());
}

// Names given one by one (SFTP) have the byte bound of a listing read whole.
TEST(NameListingTest, NamesGivenOneByOneStopAtTheListingsByteBound)
{
    NameListing names;
    const std::string name(4095, 'n');
    for (size_t i = 0; i < NameListing::maxBytes / (name.size() + 1); ++i)
        names.addName(name);
    EXPECT_THROW(names.addName(name), std::length_error);
}

TEST(NameListingTest, FreeNameNeverOverwritesAListedFile)
{
    NameListing names = listing("photo.jpg\r\n1000_photo.jpg\r\n1001_photo.jpg\r\n");
    EXPECT_EQ("other.jpg", names.freeNameFor("other.jpg", 1000));
    EXPECT_EQ("1002_photo.jpg", names.freeNameFor("photo.jpg", 1000));
    EXPECT_EQ("999_photo.jpg", names.freeNameFor("photo.jpg", 999));
}

TEST(ServerAddressTest, HostWithOptionalPort)
{
    ServerAddress a;
    ASSERT_TRUE(ServerAddress::parse("ftp.example.org", a));
    EXPECT_EQ("ftp.example.org", a.host);
    EXPECT_EQ(21, a.port);
    ASSERT_TRUE(ServerAddress::parse("127.0.0.1:2121", a));
    EXPECT_EQ("127.0.0.1", a.host);
    EXPECT_EQ(2121, a.port);
    ASSERT_TRUE(ServerAddress::parse("[::1]:65535", a));
    EXPECT_EQ("::1", a.host);
    EXPECT_EQ(65535, a.port);
    ASSERT_TRUE(ServerAddress::parse("[::1]", a));
    EXPECT_EQ(21, a.port);
    ASSERT_TRUE(ServerAddress::parse("fe80::1", a));
    EXPECT_EQ("fe80::1", a.host);
    EXPECT_EQ(21, a.port);
    ASSERT_TRUE(ServerAddress::parse("sftp.example.org", a, 22));  // SFTP's own port
    EXPECT_EQ(22, a.port);
    ASSERT_TRUE(ServerAddress::parse("sftp.example.org:2222", a, 22));
    EXPECT_EQ(2222, a.port);
    for (const char* bad : {"", "h:", "h:0", "h:65536", "h:21x", "h:-1", "[::1", "[::1]x", "[]:21", ":21",
                            "h:999999999999"})
        EXPECT_FALSE(ServerAddress::parse(bad, a)) << bad;
}

TEST(DeleteAll, KeepsDotNamesTheExactIndexPagesAndWhatIsNoPlainName)
{
    for (std::string kept : {".htaccess", ".", "..", "index.htm", "index.html", "/inny/plik.txt", "c:\\win.txt",
                             "sub/dir.txt", "../x"})
        EXPECT_TRUE(Vornix::FtpDelAllThread::isKept(kept)) << kept;
    EXPECT_TRUE(Vornix::FtpDelAllThread::isKept(std::string("a\0.txt", 5)));
    for (const char* deleted : {"a.txt", "Index.html", "INDEX.HTM", "index.html.bak", "x.index.htm"})
        EXPECT_FALSE(Vornix::FtpDelAllThread::isKept(deleted)) << deleted;
}

}
