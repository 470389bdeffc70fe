// Shows the progress window as an upload fills it, for the screenshot in
// docs/progress-window.png (tests/jobs/progress-window-shot.sh). Keeps it up
// for the given number of milliseconds, then prints its frame as
// "width height left top" for cropping.
#include "ui/ProgressWindow.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    HWND window = ProgressWindow::create(GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return 1;

    ProgressWindow::postText(window, ProgressWindow::Caption, "wakacje-2010.zip");
    ProgressWindow::postText(window, ProgressWindow::NameLabel, "C:\\Users\\Ania\\Pulpit\\wakacje-2010.zip");
    ProgressWindow::postText(window, ProgressWindow::ProgressLabel, "12.50MB / 48.00MB");
    ProgressWindow::postText(window, ProgressWindow::SpeedLabel, "256.00KB/s");
    ProgressWindow::postText(window, ProgressWindow::RemainingLabel, "00:02:22");
    HWND bar = GetDlgItem(window, ProgressWindow::ProgressBar);
    PostMessageW(bar, PBM_SETRANGE32, 0, 48 * 1024 * 1024);
    PostMessageW(bar, PBM_SETPOS, 12800 * 1024, 0);
    ShowWindow(window, SW_SHOWNORMAL);

    ULONGLONG end = GetTickCount64() + (argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 5000);
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageW(window, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }
    RECT frame;
    GetWindowRect(window, &frame);
    std::printf("%ld %ld %ld %ld\n", frame.right - frame.left, frame.bottom - frame.top, frame.left, frame.top);
    return 0;
}
