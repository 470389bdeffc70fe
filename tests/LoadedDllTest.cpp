// Vornix.dll as the messenger sees it: loaded from disk, read through its
// exports and its PE tables.
#include "Version.h"
#include "plugin/HostInterface.h"
#include "plugin/PluginInfo.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

namespace {

std::wstring besideThisProgram(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}

HostHandle __cdecl stubCreate(const wchar_t*, HostHandler, void*) { return reinterpret_cast<HostHandle>(1); }
INT_PTR __cdecl stubDestroy(HostHandle) { return 0; }
// The settings service hands out a handle; everything else just answers.
INT_PTR __cdecl stubCall(const wchar_t* name, WPARAM, LPARAM)
{
    return std::wstring(name) == L"WTW/Settings/Init" ? 0x5E7 : 0;
}
INT_PTR __cdecl stubExists(const wchar_t*) { return 0; }

HostFunctionTable stubTable()
{
    HostFunctionTable table = {};
    table.createFunction = stubCreate;
    table.destroyFunction = stubDestroy;
    table.callFunction = stubCall;
    table.functionExists = stubExists;
    table.hookEvent = stubCreate;
    table.unhookEvent = stubDestroy;
    return table;
}

int threadCount()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

template <typename T>
const T* at(HMODULE module, DWORD rva)
{
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + rva);
}

const IMAGE_DATA_DIRECTORY& directory(HMODULE module, int entry)
{
    auto dos = at<IMAGE_DOS_HEADER>(module, 0);
    auto nt = at<IMAGE_NT_HEADERS>(module, dos->e_lfanew);
    return nt->OptionalHeader.DataDirectory[entry];
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

class LoadedDll : public testing::Test {
protected:
    void SetUp() override
    {
        module = LoadLibraryW(besideThisProgram(L"Vornix.dll").c_str());
        ASSERT_NE(nullptr, module);
        query = reinterpret_cast<QueryFn>(GetProcAddress(module, "queryPlugInfo"));
        ASSERT_NE(nullptr, query);
    }
    void TearDown() override
    {
        if (module)
            FreeLibrary(module);
    }
    typedef const PluginInfo*(__cdecl* QueryFn)(DWORD_PTR, DWORD_PTR);
    HMODULE module = nullptr;
    QueryFn query = nullptr;
};

TEST_F(LoadedDll, InformationRecordReadsAsTheHostExpects)
{
    if (sizeof(void*) != 4)
        GTEST_SKIP() << "the offsets are the 32-bit messenger's";
    const BYTE* record = reinterpret_cast<const BYTE*>(query(0, 0));
    auto word = [&](int offset) { return *reinterpret_cast<const DWORD*>(record + offset); };
    auto text = [&](int offset) { return std::wstring(*reinterpret_cast<const wchar_t* const*>(record + offset)); };

    EXPECT_EQ(80u, word(0));
    EXPECT_EQ(L"Vornix", text(4));
    EXPECT_EQ(L"Wysyłanie plików na FTP", text(8));
    for (int offset : {12, 16, 20, 24})
        EXPECT_FALSE(text(offset).empty()) << offset;
    EXPECT_EQ(L"", text(28));
    EXPECT_EQ(1200u, word(32));
    EXPECT_EQ(0x20000u, word(36));
    EXPECT_EQ(0x10000u, word(40));
    EXPECT_EQ(0x10000u, word(44));
    EXPECT_EQ(4u, word(48));
    EXPECT_EQ(0u, word(52));
    for (int offset = 60; offset < 80; offset += 4)
        EXPECT_EQ(0u, word(offset)) << offset;

    std::wstring guid = text(56);
    ASSERT_EQ(38u, guid.size());
    for (size_t i = 0; i < guid.size(); ++i) {
        if (i == 0)
            EXPECT_EQ(L'{', guid[i]);
        else if (i == 37)
            EXPECT_EQ(L'}', guid[i]);
        else if (i == 9 || i == 14 || i == 19 || i == 24)
            EXPECT_EQ(L'-', guid[i]) << i;
        else
            EXPECT_TRUE(std::iswxdigit(guid[i])) << i;
    }
}

TEST_F(LoadedDll, InformationRecordStaysAtOneAddressAcrossLoad)
{
    typedef int(__cdecl * LoadFn)(DWORD_PTR, HostFunctionTable*);
    typedef int(__cdecl * UnloadFn)(DWORD_PTR);
    auto load = reinterpret_cast<LoadFn>(GetProcAddress(module, "pluginLoad"));
    auto unload = reinterpret_cast<UnloadFn>(GetProcAddress(module, "pluginUnload"));
    ASSERT_TRUE(load && unload);

    HostFunctionTable table = stubTable();

    const PluginInfo* before = query(0, 0);
    EXPECT_EQ(0, load(0, &table));
    EXPECT_EQ(before, query(1, 2));
    EXPECT_EQ(0, unload(0));
    EXPECT_EQ(before, query(0, 0));
}

TEST_F(LoadedDll, ExportsExactlyTheThreeEntryPoints)
{
    const IMAGE_DATA_DIRECTORY& dir = directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
    ASSERT_NE(0u, dir.VirtualAddress);
    auto exports = at<IMAGE_EXPORT_DIRECTORY>(module, dir.VirtualAddress);
    auto names = at<DWORD>(module, exports->AddressOfNames);
    std::set<std::string> found;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        found.insert(at<char>(module, names[i]));
    EXPECT_EQ(3u, exports->NumberOfFunctions);
    EXPECT_EQ((std::set<std::string>{"pluginLoad", "pluginUnload", "queryPlugInfo"}), found);
}

TEST_F(LoadedDll, ImportsOnlyWindowsSystemLibraries)
{
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "comdlg32.dll",
        "comctl32.dll", "ws2_32.dll", "iphlpapi.dll", "msvcrt.dll", "advapi32.dll", "shell32.dll",
        "crypt32.dll"};
    const IMAGE_DATA_DIRECTORY& dir = directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
    ASSERT_NE(0u, dir.VirtualAddress);
    std::vector<std::string> imported;
    for (auto entry = at<IMAGE_IMPORT_DESCRIPTOR>(module, dir.VirtualAddress); entry->Name; ++entry)
        imported.push_back(lower(at<char>(module, entry->Name)));
    EXPECT_FALSE(imported.empty());
    for (const std::string& name : imported)
        EXPECT_TRUE(system.count(name)) << "imports " << name;
}

// What the file's Properties dialog shows, in which language it is filed, and
// that its version is the project's.
TEST(VersionInformation, IsPolishThroughout)
{
    std::wstring path = besideThisProgram(L"Vornix.dll");
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_NE(0u, size);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    const WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", (void**)&translation, &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0x0415, translation[0]);
    EXPECT_EQ(1200, translation[1]);
    const wchar_t* description = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\041504B0\\FileDescription",
                               (void**)&description, &length));
    EXPECT_EQ(std::wstring(L"Vornix: wysyłanie plików na FTP (wtyczka WTW)"), description);
    const wchar_t* version = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\041504B0\\FileVersion", (void**)&version, &length));
    EXPECT_EQ(std::wstring(L"" VORNIX_VERSION_TEXT), version);
    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", (void**)&fixed, &length));
    EXPECT_EQ(DWORD(MAKELONG(VORNIX_VERSION_MINOR, VORNIX_VERSION_MAJOR)), fixed->dwFileVersionMS);

    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    EXPECT_NE(nullptr, FindResourceExW(module, RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO),
                                      MAKELANGID(LANG_POLISH, SUBLANG_DEFAULT)));
    FreeLibrary(module);
}

TEST(LoadUnloadCycles, LeaveNoHandlesThreadsOrModule)
{
    typedef int(__cdecl * LoadFn)(DWORD_PTR, HostFunctionTable*);
    typedef int(__cdecl * UnloadFn)(DWORD_PTR);
    HostFunctionTable table = stubTable();
    auto cycle = [&] {
        HMODULE module = LoadLibraryW(besideThisProgram(L"Vornix.dll").c_str());
        ASSERT_NE(nullptr, module);
        auto load = reinterpret_cast<LoadFn>(GetProcAddress(module, "pluginLoad"));
        auto unload = reinterpret_cast<UnloadFn>(GetProcAddress(module, "pluginUnload"));
        EXPECT_EQ(0, load(0, &table));
        EXPECT_EQ(0, unload(0));
        FreeLibrary(module);
    };
    cycle();  // the first load brings in system libraries that stay
    DWORD handlesBefore = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    int threadsBefore = threadCount();
    for (int i = 0; i < 20; ++i)
        cycle();
    DWORD handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_LE(handlesAfter, handlesBefore + 2);
    EXPECT_EQ(threadsBefore, threadCount());
    EXPECT_EQ(nullptr, GetModuleHandleW(L"Vornix.dll"));
}

}
