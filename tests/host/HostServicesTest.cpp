// The stand-in messenger's services, driven the way a plug-in drives them:
// through the registry's table, with good and with broken records.
#include "host/CommandLine.h"
#include "host/FunctionRegistry.h"
#include "host/MenuService.h"
#include "host/OptionsWindow.h"
#include "host/SettingsService.h"
#include "host/Transcript.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

INT_PTR __cdecl echo(WPARAM wParam, LPARAM lParam, void* userData)
{
    return INT_PTR(wParam + lParam) + reinterpret_cast<INT_PTR>(userData);
}

INT_PTR __cdecl count(WPARAM, LPARAM, void* counter)
{
    return InterlockedIncrement(static_cast<LONG*>(counter));
}

std::wstring tempFolder()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + L"host-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(GetTickCount());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string bytesOf(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes(65536, '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], DWORD(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

class Registry : public testing::Test {
protected:
    Transcript transcript;
    FunctionRegistry registry{transcript};
    HostFunctionTable* table = registry.table();
};

TEST_F(Registry, FunctionsAreCreatedCalledAndDestroyedByHandle)
{
    HostHandle function = table->createFunction(L"Test/echo", echo, reinterpret_cast<void*>(100));
    ASSERT_NE(nullptr, function);
    EXPECT_EQ(1, table->functionExists(L"Test/echo"));
    EXPECT_EQ(103, table->callFunction(L"Test/echo", 1, 2));
    EXPECT_EQ(nullptr, table->createFunction(L"Test/echo", echo, nullptr)) << "a name is taken once";
    EXPECT_EQ(nullptr, table->createFunction(nullptr, echo, nullptr));
    EXPECT_EQ(nullptr, table->createFunction(L"Test/none", nullptr, nullptr));
    EXPECT_EQ(0, table->destroyFunction(reinterpret_cast<HostHandle>(1)));
    EXPECT_EQ(0, table->unhookEvent(function)) << "a function is no hook";
    EXPECT_EQ(1, table->destroyFunction(function));
    EXPECT_EQ(0, table->destroyFunction(function));
    EXPECT_EQ(0, table->functionExists(L"Test/echo"));
    EXPECT_EQ(0, table->callFunction(L"Test/echo", 1, 2));
    EXPECT_EQ(0, table->callFunction(nullptr, 1, 2));
    EXPECT_EQ(0, reinterpret_cast<INT_PTR(__cdecl*)()>(table->unused[0])());
}

struct HookLog {
    FunctionRegistry* registry;
    std::vector<int> calls;
};

INT_PTR __cdecl firstHook(WPARAM, LPARAM, void* log)
{
    auto hookLog = static_cast<HookLog*>(log);
    hookLog->calls.push_back(1);
    // Handlers call back into the host and wait for job threads that do the same:
    // the registry must not hold its lock now.
    std::thread job([&] { hookLog->registry->callFunction(L"Test/echo", 0, 0); });
    job.join();
    hookLog->registry->hookEvent(L"Test/other", firstHook, log);
    return 0;
}

INT_PTR __cdecl secondHook(WPARAM wParam, LPARAM, void* log)
{
    static_cast<HookLog*>(log)->calls.push_back(int(wParam));
    return 0;
}

TEST_F(Registry, EventsReachTheirHooksInOrderAndHooksMayCallBack)
{
    HookLog log = {&registry, {}};
    registry.createFunction(L"Test/echo", echo, nullptr);
    HostHandle first = table->hookEvent(L"Test/event", firstHook, &log);
    HostHandle second = table->hookEvent(L"Test/event", secondHook, &log);
    registry.fireEvent(L"Test/event", 7, 0);
    EXPECT_EQ((std::vector<int>{1, 7}), log.calls);
    EXPECT_EQ(1, table->unhookEvent(first));
    EXPECT_EQ(0, table->destroyFunction(second)) << "a hook is no function";
    registry.fireEvent(L"Test/event", 8, 0);
    EXPECT_EQ((std::vector<int>{1, 7, 8}), log.calls);
}

TEST_F(Registry, ManyThreadsCallWhileFunctionsComeAndGo)
{
    LONG counter = 0;
    table->createFunction(L"Test/count", count, &counter);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            std::wstring own = L"Test/own" + std::to_wstring(t);
            for (int i = 0; i < 250; ++i) {
                table->callFunction(L"Test/count", 0, 0);
                table->destroyFunction(table->createFunction(own.c_str(), echo, nullptr));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(1000, counter);
}

class Settings : public Registry {
protected:
    std::wstring profile = tempFolder();
    std::wstring path = profile + L"\\Test.cfg";
    SettingsService service{registry, profile};

    ~Settings() override
    {
        DeleteFileW(path.c_str());
        RemoveDirectoryW(profile.c_str());
    }

    HostHandle open()
    {
        return reinterpret_cast<HostHandle>(table->callFunction(L"WTW/Settings/Init", reinterpret_cast<WPARAM>(path.c_str()), 0));
    }
    INT_PTR call(const wchar_t* name, HostHandle handle)
    {
        return table->callFunction(name, reinterpret_cast<WPARAM>(handle), 0);
    }
    INT_PTR set(HostHandle handle, const wchar_t* key, const std::wstring& text)
    {
        SettingValue value = {sizeof(value), key, SettingText, {}, DWORD(text.size()), handle};
        value.value.text = const_cast<wchar_t*>(text.c_str());
        return table->callFunction(L"WTW/Settings/Set", reinterpret_cast<WPARAM>(&value), 0);
    }
    INT_PTR get(HostHandle handle, const wchar_t* key, std::wstring* text, DWORD capacity = 4096)
    {
        std::vector<wchar_t> buffer(capacity + 1, L'#');
        SettingValue value = {sizeof(value), key, SettingText, {}, capacity, handle};
        value.value.text = buffer.data();
        INT_PTR found = table->callFunction(L"WTW/Settings/Get", reinterpret_cast<WPARAM>(&value), 0);
        *text = buffer.data();
        return found;
    }
    INT_PTR setInt(HostHandle handle, const wchar_t* key, INT32 number)
    {
        SettingValue value = {sizeof(value), key, SettingInteger, {}, 0, handle};
        value.value.integer = number;
        return table->callFunction(L"WTW/Settings/Set", reinterpret_cast<WPARAM>(&value), 0);
    }
    INT_PTR getInt(HostHandle handle, const wchar_t* key, INT32* number)
    {
        SettingValue value = {sizeof(value), key, SettingInteger, {}, 0, handle};
        INT_PTR found = table->callFunction(L"WTW/Settings/Get", reinterpret_cast<WPARAM>(&value), 0);
        *number = value.value.integer;
        return found;
    }
};

TEST_F(Settings, ConfigurationFileIsNamedAfterThePluginInTheProfile)
{
    wchar_t buffer[MAX_PATH] = L"#";
    ConfigFileRequest request = {sizeof(request), buffer, MAX_PATH, 0};
    LPARAM module = reinterpret_cast<LPARAM>(GetModuleHandleW(nullptr));
    EXPECT_EQ(1, table->callFunction(L"WTW/Settings/GetMyConfigFile", reinterpret_cast<WPARAM>(&request), module));
    EXPECT_EQ(profile + L"\\host_services_test.cfg", buffer);
    request.capacity = 8;
    EXPECT_EQ(0, table->callFunction(L"WTW/Settings/GetMyConfigFile", reinterpret_cast<WPARAM>(&request), module));
    EXPECT_STREQ(L"", buffer) << "a path that does not fit is not cut";
    EXPECT_EQ(0, table->callFunction(L"WTW/Settings/GetMyConfigFile", 0, module));
}

TEST_F(Settings, EveryValueReadsBackExactlyAfterARestart)
{
    std::wstring every(4095, L' ');
    for (size_t i = 0; i < every.size(); ++i)
        every[i] = wchar_t(1 + (i * 7919) % 0xFFFE);
    HostHandle first = open();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(1, set(first, L"every", every));
    EXPECT_EQ(1, set(first, L"key with\ttab\\ and\r\nbreak", L"line\r\nnext"));
    EXPECT_EQ(1, set(first, L"empty", L""));
    EXPECT_EQ(1, setInt(first, L"number", -123456));
    EXPECT_EQ(1, call(L"WTW/Settings/Write", first));
    EXPECT_EQ(1, call(L"WTW/Settings/Destroy", first));
    EXPECT_EQ(0, call(L"WTW/Settings/Read", first)) << "a destroyed handle is refused";

    HostHandle second = open();
    std::wstring text;
    INT32 number = 0;
    EXPECT_EQ(1, call(L"WTW/Settings/Read", second));
    EXPECT_EQ(1, get(second, L"every", &text));
    EXPECT_EQ(every, text);
    EXPECT_EQ(1, get(second, L"key with\ttab\\ and\r\nbreak", &text));
    EXPECT_EQ(L"line\r\nnext", text);
    EXPECT_EQ(1, get(second, L"empty", &text));
    EXPECT_EQ(L"", text);
    EXPECT_EQ(1, getInt(second, L"number", &number));
    EXPECT_EQ(-123456, number);
    EXPECT_EQ(1, get(second, L"every", &text, 10));
    EXPECT_EQ(every.substr(0, 9), text) << "capacity - 1 characters and the terminator";
    EXPECT_EQ(0, get(second, L"missing", &text));
    EXPECT_EQ(0, getInt(second, L"every", &number)) << "a text is no integer";
    EXPECT_EQ(0, get(second, L"number", &text)) << "an integer is no text";
}

TEST_F(Settings, BrokenRecordsAndHandlesAreRefused)
{
    HostHandle handle = open();
    SettingValue small = {8, L"key", SettingInteger, {}, 0, handle};
    SettingValue noKey = {sizeof(SettingValue), nullptr, SettingInteger, {}, 0, handle};
    SettingValue oddType = {sizeof(SettingValue), L"key", 2, {}, 0, handle};
    SettingValue nullText = {sizeof(SettingValue), L"key", SettingText, {}, 5, handle};
    for (SettingValue* value : {&small, &noKey, &oddType, &nullText}) {
        EXPECT_EQ(0, table->callFunction(L"WTW/Settings/Set", reinterpret_cast<WPARAM>(value), 0));
        EXPECT_EQ(0, table->callFunction(L"WTW/Settings/Get", reinterpret_cast<WPARAM>(value), 0));
    }
    EXPECT_EQ(0, table->callFunction(L"WTW/Settings/Get", 0, 0));
    EXPECT_EQ(0, setInt(reinterpret_cast<HostHandle>(0x1234), L"key", 1));
    EXPECT_EQ(0, call(L"WTW/Settings/Write", reinterpret_cast<HostHandle>(0x1234)));
    EXPECT_EQ(0, table->callFunction(L"WTW/Settings/Init", 0, 0));
}

TEST_F(Settings, AFailedWriteLeavesThePreviousFileWhole)
{
    HostHandle handle = open();
    set(handle, L"key", L"old");
    ASSERT_EQ(1, call(L"WTW/Settings/Write", handle));
    std::string before = bytesOf(path);
    std::wstring temporary = path + L".tmp";
    ASSERT_TRUE(CreateDirectoryW(temporary.c_str(), nullptr)) << "blocks the temporary file";
    set(handle, L"key", L"new");
    EXPECT_EQ(0, call(L"WTW/Settings/Write", handle));
    EXPECT_EQ(before, bytesOf(path));
    RemoveDirectoryW(temporary.c_str());
    EXPECT_EQ(1, call(L"WTW/Settings/Read", handle)) << "unsaved values survive a read";
    EXPECT_EQ(1, call(L"WTW/Settings/Write", handle));
    std::wstring text;
    EXPECT_EQ(1, get(open(), L"key", &text));
    EXPECT_EQ(L"new", text);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(temporary.c_str()));
}

TEST_F(Settings, ThreadsReadAndWriteAtOnce)
{
    HostHandle handle = open();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            std::wstring key = L"thread" + std::to_wstring(t);
            INT32 number = 0;
            for (int i = 1; i <= 50; ++i) {
                setInt(handle, key.c_str(), i);
                call(L"WTW/Settings/Read", handle);
                getInt(handle, key.c_str(), &number);
                call(L"WTW/Settings/Write", handle);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    HostHandle fresh = open();
    for (int t = 0; t < 4; ++t) {
        INT32 number = 0;
        EXPECT_EQ(1, getInt(fresh, (L"thread" + std::to_wstring(t)).c_str(), &number));
        EXPECT_EQ(50, number) << t;
    }
}

struct MenuCalls {
    const wchar_t* offer;
    UINT_PTR handle;
    MenuAddItemFunction addItem;
};

INT_PTR __cdecl offerItem(WPARAM wParam, LPARAM, void* calls)
{
    auto event = reinterpret_cast<const MenuRebuildEvent*>(wParam);
    auto menuCalls = static_cast<MenuCalls*>(calls);
    menuCalls->handle = event->menuHandle;
    menuCalls->addItem = event->addItem;
    event->addItem(event->menuHandle, menuCalls->offer);
    return 0;
}

TEST_F(Registry, ContactMenusOfferOnlyWhatTheRebuildAdded)
{
    MenuService menus(registry);
    auto add = [&](const wchar_t* item, const wchar_t* menu, HostHandler handler) {
        MenuItemInfo info = {sizeof(info), item, menu, L"caption", {}, handler, nullptr, {}};
        return table->callFunction(L"WTW/Menu/Add", reinterpret_cast<WPARAM>(&info), 0);
    };
    EXPECT_EQ(1, add(L"a", L"WTW/Menu/Contact/Send", echo));
    EXPECT_EQ(1, add(L"b", L"WTW/Menu/Contact/Send", echo));
    EXPECT_EQ(1, add(L"c", L"WTW/Menu/Main/Opt", echo));
    EXPECT_EQ(0, add(L"d", L"WTW/Menu/Main/Opt", nullptr));
    MenuCalls calls = {L"b", 0, nullptr};
    table->hookEvent(L"WTW/OnMenuRebuild", offerItem, &calls);

    std::vector<MenuService::Item> contact = menus.open(L"WTW/Menu/Contact");
    ASSERT_EQ(1u, contact.size());
    EXPECT_EQ(L"b", contact[0].itemId);
    EXPECT_EQ(0, calls.addItem(calls.handle, L"a")) << "the menu has opened: its handle is spent";
    std::vector<MenuService::Item> main = menus.open(L"WTW/Menu/Main");
    ASSERT_EQ(1u, main.size());
    EXPECT_EQ(L"c", main[0].itemId);

    MenuItemInfo removal = {sizeof(removal), L"c", L"WTW/Menu/Main/Opt", nullptr, {}, nullptr, nullptr, {}};
    EXPECT_EQ(1, table->callFunction(L"WTW/Menu/Remove", reinterpret_cast<WPARAM>(&removal), 0));
    EXPECT_EQ(0, table->callFunction(L"WTW/Menu/Remove", reinterpret_cast<WPARAM>(&removal), 0));
    EXPECT_TRUE(menus.open(L"WTW/Menu/Main").empty());
    EXPECT_EQ(0, table->callFunction(L"WTW/Menu/Add", 0, 0));
}

INT_PTR __cdecl recordAction(WPARAM wParam, LPARAM, void* actions)
{
    auto event = reinterpret_cast<const OptionsPageEvent*>(wParam);
    static_cast<std::wstring*>(actions)->append(std::wstring(event->pageId) + std::to_wstring(event->action) + L" ");
    return 0;
}

TEST(OptionsWindowTest, PagesHearWhatTheUserDoes)
{
    std::wstring actions;
    std::vector<OptionsService::Page> pages = {{L"A", L"", L"A", recordAction, &actions, nullptr},
        {L"B", L"", L"B", recordAction, &actions, nullptr}, {L"C", L"", L"C", recordAction, &actions, nullptr}};
    OptionsWindow saved(GetModuleHandleW(nullptr), nullptr, pages);
    saved.open(0);
    saved.select(1);
    saved.ok();
    EXPECT_EQ(L"A1 A2 B1 A3 B3 ", actions) << "C was never shown, so it is not told";
    EXPECT_FALSE(saved.isOpen());

    actions.clear();
    OptionsWindow closed(GetModuleHandleW(nullptr), nullptr, pages);
    closed.open(2);
    SendMessageW(GetParent(closed.pageArea(2)), WM_CLOSE, 0, 0);
    EXPECT_EQ(L"C1 C5 ", actions);

    actions.clear();
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    OptionsWindow orphaned(GetModuleHandleW(nullptr), owner, pages);
    orphaned.open(1);
    DestroyWindow(owner);
    EXPECT_EQ(L"B1 B5 ", actions) << "the owner took the window along";
    EXPECT_FALSE(orphaned.isOpen());
}

TEST(CommandLineTest, ReadsOptionsAndRefusesWhatItDoesNotKnow)
{
    CommandLine defaults({L"send"}, L"C:\\host");
    EXPECT_EQ(L"C:\\host\\Vornix.dll", defaults.pluginPath);
    EXPECT_EQ(L"C:\\host\\profile", defaults.profileDir);
    ASSERT_EQ(1u, defaults.contacts.size());
    EXPECT_EQ(L"XY/1/alice", defaults.contacts[0].name());
    EXPECT_EQ(120u, defaults.timeoutSeconds);
    EXPECT_LT(defaults.abortAt, 0);

    CommandLine given({L"--plugin", L"/work/a b/P.dll", L"--profile", L"D:\\p", L"--contact", L"GG/-2/x/y", L"--file",
                          L"/tmp/f", L"--answer", L"yes", L"--abort-at", L"4096", L"--timeout", L"5", L"options",
                          L"password=a=b", L"sendLink=0"},
        L"C:\\host");
    EXPECT_EQ(L"Z:\\work\\a b\\P.dll", given.pluginPath);
    EXPECT_EQ(L"D:\\p", given.profileDir);
    EXPECT_EQ(L"GG", given.contacts[0].netClass);
    EXPECT_EQ(-2, given.contacts[0].netId);
    EXPECT_EQ(L"x/y", given.contacts[0].id);
    EXPECT_EQ(L"GG/-2/PFMessageSend", given.contacts[0].sendFunction());
    EXPECT_EQ(std::vector<std::wstring>{L"Z:\\tmp\\f"}, given.fileDialogEntries());
    EXPECT_TRUE(given.answerYes);
    EXPECT_EQ(4096, given.abortAt);
    EXPECT_EQ(5u, given.timeoutSeconds);
    EXPECT_EQ((std::vector<std::wstring>{L"password=a=b", L"sendLink=0"}), given.commandArguments);

    // Several files: their folder, then one multiple choice, typed as a person types it.
    CommandLine several({L"--file", L"/tmp/ab/c", L"--file", L"/tmp/a b", L"--file", L"/tmp/ab/d/e", L"clipboard"},
                        L"C:\\host");
    EXPECT_EQ((std::vector<std::wstring>{L"Z:\\tmp\\", L"\"ab\\c\" \"a b\" \"ab\\d\\e\""}),
              several.fileDialogEntries());

    const std::vector<std::vector<std::wstring>> wrong = {{}, {L"fly"}, {L"--bogus", L"1", L"send"},
        {L"send", L"--file"}, {L"--answer", L"maybe", L"send"}, {L"--abort-at", L"-1", L"send"},
        {L"--timeout", L"0", L"send"}, {L"--contact", L"XY/one/a", L"send"}, {L"--contact", L"XY/1/", L"send"},
        {L"info", L"extra"}, {L"options", L"port=21"}, {L"options", L"sendLink=2"}, {L"options", L"copyLink=2"},
        {L"--file", L"C:\\a", L"--file", L"D:\\a", L"send"},
        {L"clipboard", L"extra"}};
    for (const auto& arguments : wrong)
        EXPECT_THROW(CommandLine(arguments, L"C:\\host"), CommandLine::UsageError) << arguments.size();
}

}
