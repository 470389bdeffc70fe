// What an upload shows in its progress window: name, path, bytes sent
// against the size, speed, time remaining and the bar. Without a window it
// shows nothing.
#pragma once

#include "jobs/UploadAttempts.h"

#include <windows.h>

#include <cstdint>
#include <string>

class UploadProgress : public Vornix::UploadAttempts::Observer {
public:
    UploadProgress(HWND window, int64_t size);

    // The first texts (the caption, the local path) and the bar's range,
    // then the window is shown; the transfer's start time is taken after that.
    void begin(const std::wstring& caption, const std::wstring& localPath);
    // Before the bytes from `held` on go, on a new connection after the
    // first: what the server holds counts as sent, and the speed is this
    // connection's.
    void resumeAt(int64_t held) override;
    // While the job waits to connect again.
    void retrying(int attempt, int attempts) override;
    // After each chunk. The texts are posted at most every 50 ms: a post per
    // chunk would flood the messenger's window thread, which serves posted
    // messages before input, and freeze the messenger for the whole upload.
    void update(int64_t sent) override;
    // The texts for the last count given, if update held them back.
    void settle(int64_t sent) override;
    static void finish(HWND window);
    int64_t total() const { return size; }

private:
    void post(int64_t sent);
    void postRates(int64_t sent, int64_t sentHere, int64_t elapsed);
    int barValue(int64_t bytes) const;

    static const ULONGLONG postInterval = 50;  // ms

    HWND window;
    int64_t size;
    int barShift;  // the bar's range is an int: large files are counted in 2^barShift bytes
    int64_t startTime;
    int64_t startBytes;  // what the server held when this connection began
    ULONGLONG lastPostTick;
    int64_t lastPosted;  // the count the window last heard of
};
