// The progress window under Wine: its template as compiled into this program,
// the text protocol with the memory blocks it moves, and its commands.
#include "ui/ProgressWindow.h"

#include "tests/jobs/ImportHook.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

const WORD polish = MAKELANGID(LANG_POLISH, SUBLANG_DEFAULT);
const int templateControls[] = {3, 1001, 1002, 1003, 1004, 1005, 2};

// ---- The template as the resource holds it ----

struct NameOrOrdinal {
    WORD ordinal;  // 0 when a name is given
    std::wstring name;
};

struct ControlTemplate {
    DWORD helpId, exStyle, style;
    short x, y, cx, cy;
    DWORD id;
    NameOrOrdinal windowClass, text;
    WORD creationDataSize;
};

struct DialogTemplate {
    WORD dlgVer, signature;
    DWORD helpId, exStyle, style;
    WORD count;
    short x, y, cx, cy;
    NameOrOrdinal menu, windowClass;
    std::wstring title;
    WORD pointSize, weight;
    BYTE italic, charset;
    std::wstring typeface;
    std::vector<ControlTemplate> controls;
};

// Reads a DLGTEMPLATEEX field by field; items start on 32-bit boundaries.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : data(data), size(size), at(0) {}

    DialogTemplate dialog()
    {
        DialogTemplate d = {};
        d.dlgVer = word();
        d.signature = word();
        d.helpId = dword();
        d.exStyle = dword();
        d.style = dword();
        d.count = word();
        d.x = shortValue();
        d.y = shortValue();
        d.cx = shortValue();
        d.cy = shortValue();
        d.menu = nameOrOrdinal();
        d.windowClass = nameOrOrdinal();
        d.title = string();
        d.pointSize = word();
        d.weight = word();
        d.italic = byte();
        d.charset = byte();
        d.typeface = string();
        for (WORD i = 0; i < d.count && at < size; ++i)
            d.controls.push_back(control());
        return d;
    }

    size_t consumed() const { return at; }

private:
    ControlTemplate control()
    {
        at = (at + 3) & ~size_t(3);
        ControlTemplate c = {};
        c.helpId = dword();
        c.exStyle = dword();
        c.style = dword();
        c.x = shortValue();
        c.y = shortValue();
        c.cx = shortValue();
        c.cy = shortValue();
        c.id = dword();
        c.windowClass = nameOrOrdinal();
        c.text = nameOrOrdinal();
        c.creationDataSize = word();
        at += c.creationDataSize;
        return c;
    }

    NameOrOrdinal nameOrOrdinal()
    {
        if (peekWord() == 0xFFFF) {
            word();
            return {word(), L""};
        }
        return {0, string()};
    }

    std::wstring string()
    {
        std::wstring text;
        while (at + 2 <= size) {
            wchar_t c = static_cast<wchar_t>(word());
            if (!c)
                break;
            text += c;
        }
        return text;
    }

    WORD peekWord() const { return at + 2 <= size ? static_cast<WORD>(data[at] | data[at + 1] << 8) : 0; }
    WORD word()
    {
        WORD value = peekWord();
        at += 2;
        return value;
    }
    short shortValue() { return static_cast<short>(word()); }
    DWORD dword()
    {
        DWORD low = word();
        return low | static_cast<DWORD>(word()) << 16;
    }
    BYTE byte() { return at < size ? data[at++] : 0; }

    const BYTE* data;
    size_t size;
    size_t at;
};

BOOL CALLBACK collectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found)
{
    reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
    return TRUE;
}

class ProgressWindowTemplate : public testing::Test {
protected:
    void SetUp() override
    {
        HMODULE program = GetModuleHandleW(nullptr);
        HRSRC resource = FindResourceExW(program, RT_DIALOG, MAKEINTRESOURCEW(ProgressWindow::TemplateId), polish);
        ASSERT_NE(nullptr, resource);
        size = SizeofResource(program, resource);
        TemplateReader reader(static_cast<const BYTE*>(LockResource(LoadResource(program, resource))), size);
        dialog = reader.dialog();
        consumed = reader.consumed();
    }

    DialogTemplate dialog;
    size_t size = 0;
    size_t consumed = 0;
};

TEST_F(ProgressWindowTemplate, IsOneDialogIn101InPolishOnly)
{
    std::vector<WORD> languages;
    EnumResourceLanguagesW(GetModuleHandleW(nullptr), RT_DIALOG, MAKEINTRESOURCEW(101), collectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(std::vector<WORD>{0x0415}, languages);
    EXPECT_EQ(size, consumed);
}

TEST_F(ProgressWindowTemplate, HeaderIsTheExtendedFormatWithTheDeclaredFields)
{
    EXPECT_EQ(1, dialog.dlgVer);
    EXPECT_EQ(0xFFFF, dialog.signature);
    EXPECT_EQ(0u, dialog.helpId);
    EXPECT_EQ(0u, dialog.exStyle);
    EXPECT_EQ(0x80C800C8u, dialog.style);
    EXPECT_EQ(0u, dialog.style & (WS_VISIBLE | DS_CENTER | DS_ABSALIGN));
    EXPECT_EQ(7, dialog.count);
    EXPECT_EQ(0, dialog.x);
    EXPECT_EQ(0, dialog.y);
    EXPECT_EQ(235, dialog.cx);
    EXPECT_EQ(94, dialog.cy);
    EXPECT_EQ(0, dialog.menu.ordinal);
    EXPECT_EQ(L"", dialog.menu.name);
    EXPECT_EQ(0, dialog.windowClass.ordinal);
    EXPECT_EQ(L"", dialog.windowClass.name);
    EXPECT_EQ(L"FTP - postęp wysyłania", dialog.title);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ(400, dialog.weight);
    EXPECT_EQ(0, dialog.italic);
    EXPECT_EQ(1, dialog.charset);
    EXPECT_EQ(L"MS Shell Dlg", dialog.typeface);
}

TEST_F(ProgressWindowTemplate, HasTheSevenControlsInOrder)
{
    const WORD button = 0x0080, label = 0x0082, named = 0;
    struct Expected {
        DWORD id;
        WORD classOrdinal;
        const wchar_t* text;
        DWORD style;
        short x, y, cx, cy;
    } expected[] = {
        {3, button, L"Przerwij", 0x50010000, 68, 73, 47, 14},
        {1001, named, L"", 0x50800000, 7, 54, 221, 14},
        {1002, label, L"Nazwa", 0x50020001, 7, 7, 221, 8},
        {1003, label, L"Postęp", 0x50020001, 7, 17, 221, 8},
        {1004, label, L"Prędkość", 0x50020001, 7, 27, 221, 8},
        {1005, label, L"Pozostało", 0x50020001, 7, 36, 221, 8},
        {2, button, L"Zamknij", 0x50010000, 119, 73, 50, 14},
    };
    ASSERT_EQ(7u, dialog.controls.size());
    for (size_t i = 0; i < 7; ++i) {
        const ControlTemplate& c = dialog.controls[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(testing::Message() << "control " << i + 1 << ", id " << e.id);
        EXPECT_EQ(e.id, c.id);
        EXPECT_EQ(e.classOrdinal, c.windowClass.ordinal);
        if (e.classOrdinal == named) {
            // windres stores class names upper-case; class lookup ignores case.
            EXPECT_EQ(0, _wcsicmp(L"msctls_progress32", c.windowClass.name.c_str())) << c.windowClass.name;
        }
        EXPECT_EQ(0, c.text.ordinal);
        EXPECT_EQ(e.text, c.text.name);
        EXPECT_EQ(e.style, c.style);
        EXPECT_EQ(e.x, c.x);
        EXPECT_EQ(e.y, c.y);
        EXPECT_EQ(e.cx, c.cx);
        EXPECT_EQ(e.cy, c.cy);
        EXPECT_EQ(0u, c.helpId);
        EXPECT_EQ(0u, c.exStyle);
        EXPECT_EQ(0, c.creationDataSize);
    }
}

// ---- The live window ----

struct Block {
    UINT flags;
    SIZE_T bytes;
    HGLOBAL handle;
};

std::vector<Block> allocated;
std::vector<HGLOBAL> freed;
HGLOBAL(WINAPI* realAlloc)(UINT, SIZE_T);
HGLOBAL(WINAPI* realFree)(HGLOBAL);

HGLOBAL WINAPI countingAlloc(UINT flags, SIZE_T bytes)
{
    HGLOBAL block = realAlloc(flags, bytes);
    allocated.push_back({flags, bytes, block});
    return block;
}

HGLOBAL WINAPI countingFree(HGLOBAL block)
{
    freed.push_back(block);
    return realFree(block);
}

std::vector<HGLOBAL> handlesOf(const std::vector<Block>& blocks)
{
    std::vector<HGLOBAL> handles;
    for (const Block& block : blocks)
        handles.push_back(block.handle);
    return handles;
}

std::vector<HGLOBAL> sorted(std::vector<HGLOBAL> handles)
{
    std::sort(handles.begin(), handles.end());
    return handles;
}

std::wstring textOf(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

void pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class ProgressWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
    }

    void SetUp() override
    {
        ASSERT_TRUE(allocHook.installed() && freeHook.installed());
        realAlloc = reinterpret_cast<decltype(realAlloc)>(allocHook.original());
        realFree = reinterpret_cast<decltype(realFree)>(freeHook.original());
        allocated.clear();
        freed.clear();
        window = ProgressWindow::create(GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, window);
    }

    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        pump();
    }

    // The caption, then every control's text in template order.
    std::vector<std::wstring> texts()
    {
        std::vector<std::wstring> all = {textOf(window)};
        for (int id : templateControls)
            all.push_back(textOf(GetDlgItem(window, id)));
        return all;
    }

    void command(WORD id, WORD notification)
    {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, notification),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    }

    ImportHook allocHook{"kernel32.dll", "GlobalAlloc", reinterpret_cast<void*>(countingAlloc)};
    ImportHook freeHook{"kernel32.dll", "GlobalFree", reinterpret_cast<void*>(countingFree)};
    HWND window = nullptr;
};

TEST_F(ProgressWindowTest, OpensHiddenAtItsOwnersOriginWithTheTemplatesTexts)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 100, 120, 400, 300, nullptr, nullptr,
                                 nullptr, nullptr);
    HWND owned = ProgressWindow::create(GetModuleHandleW(nullptr), owner);
    ASSERT_NE(nullptr, owned);
    EXPECT_FALSE(IsWindowVisible(owned));
    EXPECT_EQ(owner, GetWindow(owned, GW_OWNER));
    // A template's position is that of the dialog's client area; the frame lies around it.
    POINT ownerOrigin = {0, 0}, origin = {0, 0};
    ClientToScreen(owner, &ownerOrigin);
    ClientToScreen(owned, &origin);
    EXPECT_EQ(ownerOrigin.x, origin.x);
    EXPECT_EQ(ownerOrigin.y, origin.y);
    RECT units = {0, 0, 235, 94}, client;
    MapDialogRect(owned, &units);
    GetClientRect(owned, &client);
    EXPECT_EQ(units.right, client.right);
    EXPECT_EQ(units.bottom, client.bottom);
    DestroyWindow(owned);
    DestroyWindow(owner);

    EXPECT_EQ((std::vector<std::wstring>{L"FTP - postęp wysyłania", L"Przerwij", L"", L"Nazwa", L"Postęp",
                                         L"Prędkość", L"Pozostało", L"Zamknij"}),
              texts());
    wchar_t barClass[64] = {};
    GetClassNameW(GetDlgItem(window, ProgressWindow::ProgressBar), barClass, 64);
    EXPECT_STREQ(PROGRESS_CLASSW, barClass);
}

TEST_F(ProgressWindowTest, MessageNumbersAreTheRegisteredNames)
{
    EXPECT_EQ(RegisterWindowMessageW(L"VornixsetDialogTxtA"), ProgressWindow::setDialogTxtA);
    EXPECT_EQ(RegisterWindowMessageW(L"VornixsetDialogTxtW"), ProgressWindow::setDialogTxtW);
    EXPECT_GE(ProgressWindow::setDialogTxtA, 0xC000u);
    EXPECT_NE(ProgressWindow::setDialogTxtA, ProgressWindow::setDialogTxtW);
}

TEST_F(ProgressWindowTest, TextsLandInTheirControlsAndTheCaptionInExactBlocksTheWindowFrees)
{
    ASSERT_EQ(1250u, GetACP());
    struct {
        int id;
        const char* text;
    } narrow[] = {
        {ProgressWindow::Caption, "wakacje_\xbf\xf3\xb3w.zip"},  // Windows-1250: żółw
        {ProgressWindow::NameLabel, "C:\\Dokumenty\\wakacje_\xbf\xf3\xb3w.zip"},
        {ProgressWindow::ProgressLabel, "0B/52341B"},
    };
    struct {
        int id;
        const wchar_t* text;
    } wide[] = {
        {ProgressWindow::SpeedLabel, L"0 KB/s"},
        {ProgressWindow::RemainingLabel, L"Zakończono"},
    };
    for (const auto& post : narrow)
        EXPECT_TRUE(ProgressWindow::postText(window, post.id, post.text));
    for (const auto& post : wide)
        EXPECT_TRUE(ProgressWindow::postText(window, post.id, post.text));

    ASSERT_EQ(5u, allocated.size());
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(static_cast<UINT>(GMEM_FIXED | GMEM_ZEROINIT), allocated[i].flags);
        EXPECT_EQ(std::strlen(narrow[i].text) + 1, allocated[i].bytes);
        EXPECT_EQ(0, std::memcmp(allocated[i].handle, narrow[i].text, allocated[i].bytes));
    }
    for (size_t i = 0; i < 2; ++i) {
        const Block& block = allocated[3 + i];
        EXPECT_EQ(static_cast<UINT>(GMEM_FIXED | GMEM_ZEROINIT), block.flags);
        EXPECT_EQ(2 * std::wcslen(wide[i].text) + 2, block.bytes);
        EXPECT_EQ(0, std::memcmp(block.handle, wide[i].text, block.bytes));
    }
    EXPECT_TRUE(freed.empty());
    EXPECT_EQ(L"Nazwa", textOf(GetDlgItem(window, ProgressWindow::NameLabel)));

    pump();
    EXPECT_EQ((std::vector<std::wstring>{L"wakacje_żółw.zip", L"Przerwij", L"", L"C:\\Dokumenty\\wakacje_żółw.zip",
                                         L"0B/52341B", L"0 KB/s", L"Zakończono", L"Zamknij"}),
              texts());
    EXPECT_EQ(sorted(handlesOf(allocated)), sorted(freed));
}

TEST_F(ProgressWindowTest, TextsForOneControlApplyInTheOrderPosted)
{
    ProgressWindow::postText(window, ProgressWindow::RemainingLabel, L"00:00:00");
    ProgressWindow::postText(window, ProgressWindow::RemainingLabel, "00:01:05");
    ProgressWindow::postText(window, ProgressWindow::RemainingLabel, L"Zakończono");
    pump();
    EXPECT_EQ(L"Zakończono", textOf(GetDlgItem(window, ProgressWindow::RemainingLabel)));
    EXPECT_EQ(3u, freed.size());
}

TEST_F(ProgressWindowTest, TextForAnUnknownControlFreesItsBlockAndChangesNothing)
{
    std::vector<std::wstring> before = texts();
    EXPECT_TRUE(ProgressWindow::postText(window, 4242, "nowhere"));
    EXPECT_TRUE(ProgressWindow::postText(window, 0, L"nowhere"));
    pump();
    EXPECT_EQ(before, texts());
    ASSERT_EQ(2u, allocated.size());
    EXPECT_EQ(sorted(handlesOf(allocated)), sorted(freed));
}

TEST_F(ProgressWindowTest, PostToAWindowThatIsGoneFailsAndTheSenderFreesItsBlock)
{
    DestroyWindow(window);
    pump();
    EXPECT_FALSE(ProgressWindow::postText(window, ProgressWindow::NameLabel, "late"));
    EXPECT_FALSE(ProgressWindow::postText(window, ProgressWindow::SpeedLabel, L"late"));
    ASSERT_EQ(2u, allocated.size());
    EXPECT_EQ(handlesOf(allocated), freed);
}

TEST_F(ProgressWindowTest, PostWithoutAWindowTakesNoBlock)
{
    EXPECT_FALSE(ProgressWindow::postText(nullptr, ProgressWindow::NameLabel, "none"));
    EXPECT_FALSE(ProgressWindow::postText(nullptr, ProgressWindow::NameLabel, L"none"));
    EXPECT_TRUE(allocated.empty());
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(ProgressWindowTest, ProgressBarTakesTheRangeAndPositionPostedToIt)
{
    HWND bar = GetDlgItem(window, ProgressWindow::ProgressBar);
    PostMessageW(bar, PBM_SETRANGE32, 0, 52341);
    PostMessageW(bar, PBM_SETPOS, 4096, 0);
    pump();
    EXPECT_EQ(0, SendMessageW(bar, PBM_GETRANGE, TRUE, 0));
    EXPECT_EQ(52341, SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
    EXPECT_EQ(4096, SendMessageW(bar, PBM_GETPOS, 0, 0));
}

BOOL CALLBACK countProperty(HWND, LPWSTR name, HANDLE, ULONG_PTR found)
{
    if (!IS_INTRESOURCE(name) && std::wstring(name) == L"ABORT")
        ++*reinterpret_cast<int*>(found);
    return TRUE;
}

TEST_F(ProgressWindowTest, AbortPressedTwiceSetsThePropertyOnceAndLeavesTheWindowAsItWas)
{
    ProgressWindow::postText(window, ProgressWindow::RemainingLabel, L"Zakończono");
    pump();
    std::vector<std::wstring> before = texts();
    std::shared_ptr<const std::atomic<bool>> flag = ProgressWindow::abortFlag(window);
    ASSERT_TRUE(flag);
    EXPECT_FALSE(flag->load());

    command(ProgressWindow::AbortButton, BN_CLICKED);
    EXPECT_EQ(reinterpret_cast<HANDLE>(1), GetPropW(window, L"ABORT"));
    command(ProgressWindow::AbortButton, 1);
    pump();

    EXPECT_TRUE(flag->load());
    EXPECT_EQ(reinterpret_cast<HANDLE>(1), GetPropW(window, L"ABORT"));
    int properties = 0;
    EnumPropsExW(window, countProperty, reinterpret_cast<LPARAM>(&properties));
    EXPECT_EQ(1, properties);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, ProgressWindow::AbortButton)));
    EXPECT_EQ(before, texts());
}

TEST_F(ProgressWindowTest, TheJobKeepsItsAbortFlagOnceTheWindowIsGone)
{
    std::shared_ptr<const std::atomic<bool>> flag = ProgressWindow::abortFlag(window);
    command(ProgressWindow::AbortButton, BN_CLICKED);
    DestroyWindow(window);
    EXPECT_TRUE(flag->load());
    EXPECT_FALSE(ProgressWindow::abortFlag(window));
    EXPECT_FALSE(ProgressWindow::abortFlag(nullptr));
}

// A string property holds a global atom for its name until it is removed. Wine
// drops it with the window anyway; Windows needs the window's RemovePropW.
TEST_F(ProgressWindowTest, GoneWindowLeavesNoPropertyNameBehind)
{
    ASSERT_EQ(0, GlobalFindAtomW(L"ABORT"));
    command(ProgressWindow::AbortButton, BN_CLICKED);
    EXPECT_NE(0, GlobalFindAtomW(L"ABORT"));
    DestroyWindow(window);
    EXPECT_EQ(0, GlobalFindAtomW(L"ABORT"));
}

TEST_F(ProgressWindowTest, CloseCommandDestroysTheWindowWhateverItsNotificationCode)
{
    for (WORD notification : {WORD(BN_CLICKED), WORD(1), WORD(0x1234)}) {
        HWND closing = ProgressWindow::create(GetModuleHandleW(nullptr), nullptr);
        SendMessageW(closing, WM_COMMAND, MAKEWPARAM(ProgressWindow::CloseButton, notification), 0);
        EXPECT_FALSE(IsWindow(closing)) << notification;
    }
}

TEST_F(ProgressWindowTest, CloseCommandPostedByTheJobDestroysTheWindow)
{
    PostMessageW(window, WM_COMMAND, ProgressWindow::CloseButton, 0);
    pump();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(ProgressWindowTest, CaptionCloseBoxDestroysTheWindowAsZamknijDoes)
{
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    pump();
    EXPECT_FALSE(IsWindow(window));

    HWND closing = ProgressWindow::create(GetModuleHandleW(nullptr), nullptr);
    SendMessageW(closing, WM_CLOSE, 0, 0);
    pump();
    EXPECT_FALSE(IsWindow(closing));
}

TEST_F(ProgressWindowTest, OtherCommandsLeaveTheWindowAlone)
{
    std::vector<std::wstring> before = texts();
    for (WORD id : {WORD(IDOK), WORD(4), WORD(ProgressWindow::NameLabel), WORD(ProgressWindow::ProgressBar)})
        command(id, BN_CLICKED);
    pump();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(ProgressWindow::abortFlag(window)->load());
    EXPECT_EQ(before, texts());
}

}
