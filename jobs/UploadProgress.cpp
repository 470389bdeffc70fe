#include "jobs/UploadProgress.h"

#include "ui/ProgressText.h"
#include "ui/ProgressWindow.h"
#include "ui/Texts.h"

#include <commctrl.h>

#include <climits>
#include <ctime>

UploadProgress::UploadProgress(HWND window, int64_t size)
    : window(window), size(size), barShift(0), startTime(0), startBytes(0), lastPostTick(0), lastPosted(0)
{
    while ((size >> barShift) > INT_MAX)
        ++barShift;
}

void UploadProgress::begin(const std::wstring& caption, const std::wstring& localPath)
{
    if (!window)
        return;
    ProgressWindow::postText(window, ProgressWindow::Caption, caption.c_str());
    ProgressWindow::postText(window, ProgressWindow::NameLabel, localPath.c_str());
    ProgressWindow::postText(window, ProgressWindow::ProgressLabel, ProgressText::formatStart(size).c_str());
    ProgressWindow::postText(window, ProgressWindow::SpeedLabel, L"0 KB/s");
    ProgressWindow::postText(window, ProgressWindow::RemainingLabel, L"00:00:00");
    PostMessageW(GetDlgItem(window, ProgressWindow::ProgressBar), PBM_SETRANGE32, 0, barValue(size));
    // The bar starts again for each file of a send.
    PostMessageW(GetDlgItem(window, ProgressWindow::ProgressBar), PBM_SETPOS, 0, 0);
    // Asynchronous: the messenger's thread may be waiting for this one at
    // unload. Not activated: keys typed into a conversation stay there.
    ShowWindowAsync(window, SW_SHOWNOACTIVATE);
    startTime = _time64(nullptr);
}

void UploadProgress::resumeAt(int64_t held)
{
    if (!window)
        return;
    startTime = _time64(nullptr);
    startBytes = held;
    if (held != lastPosted)
        post(held);
}

void UploadProgress::retrying(int attempt, int attempts)
{
    if (!window)
        return;
    ProgressWindow::postText(window, ProgressWindow::SpeedLabel, L"0 KB/s");
    ProgressWindow::postText(window, ProgressWindow::RemainingLabel,
                             ProgressText::resuming(attempt, attempts).c_str());
}

void UploadProgress::update(int64_t sent)
{
    if (!window)
        return;
    ULONGLONG now = GetTickCount64();
    if (lastPostTick != 0 && now - lastPostTick < postInterval)
        return;
    lastPostTick = now;
    post(sent);
}

void UploadProgress::settle(int64_t sent)
{
    if (window && sent != lastPosted)
        post(sent);
}

void UploadProgress::post(int64_t sent)
{
    lastPosted = sent;
    std::string progress = ProgressText::formatSize(static_cast<float>(sent)) + " / " +
                           ProgressText::formatSize(static_cast<float>(size));
    ProgressWindow::postText(window, ProgressWindow::ProgressLabel, progress.c_str());
    int64_t elapsed = _time64(nullptr) - startTime;
    if (elapsed > 0)
        postRates(sent, sent - startBytes, elapsed);
    PostMessageW(GetDlgItem(window, ProgressWindow::ProgressBar), PBM_SETPOS, barValue(sent), 0);
}

void UploadProgress::finish(HWND window)
{
    ProgressWindow::postText(window, ProgressWindow::RemainingLabel, Texts::uploadDone);
}

// The average speed of this connection, from whole-second clock readings.
void UploadProgress::postRates(int64_t sent, int64_t sentHere, int64_t elapsed)
{
    float speed = static_cast<float>(sentHere) / static_cast<float>(elapsed);
    ProgressWindow::postText(window, ProgressWindow::SpeedLabel, (ProgressText::formatSize(speed) + "/s").c_str());
    if (speed <= 0)
        return;
    auto remaining = static_cast<int64_t>(static_cast<double>(size - sent) / speed);
    ProgressWindow::postText(window, ProgressWindow::RemainingLabel, ProgressText::formatRemaining(remaining).c_str());
}

int UploadProgress::barValue(int64_t bytes) const
{
    return static_cast<int>(bytes >> barShift);
}
