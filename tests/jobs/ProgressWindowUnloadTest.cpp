// Progress windows at unload, with their dialog procedure in a library as in
// the plug-in: closeAll takes away our windows on every thread, and nothing
// else, so the library can go; a window whose thread does not answer keeps the
// library in memory instead of being left with no procedure.
#include "tests/jobs/ProbeLibrary.h"
#include "tests/jobs/Waiting.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <thread>

namespace {

INT_PTR CALLBACK plainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// A dialog of the program itself, which closeAll must leave alone.
HWND createOtherDialog()
{
    struct alignas(4) {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } plain = {{WS_POPUP, 0, 0, 0, 0, 100, 50}, 0, 0, 0};
    return CreateDialogIndirectParamW(nullptr, &plain.header, nullptr, plainDialogProc, 0);
}

// A thread that owns a progress window of the library and runs a message loop,
// at once or only after `release` is set.
class WindowThread {
public:
    WindowThread(ProbeLibrary& library, HANDLE release)
        : ready(CreateEventW(nullptr, TRUE, FALSE, nullptr)), window(nullptr), threadId(0),
          thread([this, &library, release] { run(library, release); })
    {
        WaitForSingleObject(ready, 10000);
    }

    ~WindowThread()
    {
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
        thread.join();
        CloseHandle(ready);
    }

    HWND progressWindow() const { return window; }

private:
    void run(ProbeLibrary& library, HANDLE release)
    {
        window = library.createWindow(nullptr);
        threadId = GetCurrentThreadId();
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists before the test posts
        SetEvent(ready);
        if (release)
            WaitForSingleObject(release, INFINITE);
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    HANDLE ready;
    HWND window;
    DWORD threadId;
    std::thread thread;
};

class ProgressWindowUnloadTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
    }
};

TEST_F(ProgressWindowUnloadTest, CloseAllTakesAwayOurWindowsOnEveryThreadAndTheLibraryCanGo)
{
    ProbeLibrary library;
    ASSERT_TRUE(library.loaded());
    HWND own = library.createWindow(nullptr);
    HWND hidden = library.createWindow(nullptr);
    ShowWindow(own, SW_SHOWNORMAL);
    HWND otherDialog = createOtherDialog();
    HWND plain = CreateWindowExW(0, L"STATIC", L"plain", WS_OVERLAPPEDWINDOW, 0, 0, 100, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(own && hidden && otherDialog && plain);
    {
        WindowThread other(library, nullptr);
        ASSERT_TRUE(IsWindow(other.progressWindow()));

        library.closeAll();
        EXPECT_FALSE(IsWindow(own));
        EXPECT_FALSE(IsWindow(hidden));
        EXPECT_FALSE(IsWindow(other.progressWindow()));
        EXPECT_TRUE(IsWindow(otherDialog));
        EXPECT_TRUE(IsWindow(plain));
    }
    EXPECT_TRUE(library.unload());
    EXPECT_FALSE(library.mapped());
    DestroyWindow(otherDialog);
    DestroyWindow(plain);
}

TEST_F(ProgressWindowUnloadTest, WindowWhoseThreadDoesNotAnswerKeepsTheLibraryLoaded)
{
    ProbeLibrary library(L"jobs_probe_unanswered.dll");
    ASSERT_TRUE(library.loaded());
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        WindowThread busy(library, release);
        HWND window = busy.progressWindow();
        ASSERT_TRUE(IsWindow(window));

        ULONGLONG start = GetTickCount64();
        library.closeAll();
        EXPECT_LE(GetTickCount64() - start, 2000u + 3000u);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_TRUE(library.unload());
        EXPECT_TRUE(library.mapped());

        // Its dialog procedure still runs once the thread answers again.
        SetEvent(release);
        SendMessageTimeoutW(window, WM_COMMAND, 2, 0, SMTO_NORMAL, 10000, nullptr);
        EXPECT_FALSE(IsWindow(window));
    }
    EXPECT_TRUE(library.mapped());
    CloseHandle(release);
}

}
