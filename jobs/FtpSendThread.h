// The upload job: sends one local file to the configured server on a
// thread of its own, shows its progress and delivers the link.
#pragma once

#include "jobs/ContactCopy.h"
#include "jobs/JobThread.h"
#include "plugin/HostInterface.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class RemoteFolder;

namespace Vornix {

class FtpSendThread : public JobThread {
public:
    // Settles the file (the given path, or the user's choice when `path` is
    // null), creates the hidden progress window and starts the thread. Never
    // fails outwards: without a file or a thread the job has a null handle.
    FtpSendThread(HostFunctionTable* host, const ContactRecord* contact, HINSTANCE moduleHandle,
                  const wchar_t* path);

private:
    // 2 without host or module, else 0 (failures included).
    DWORD threadMain() override;
    bool settlePath(const wchar_t* path, HWND owner);
    void run();
    std::string chooseRemoteName(RemoteFolder& folder, const std::wstring& localName);
    void transfer(RemoteFolder& folder, FILE* file, int64_t size, const std::string& remoteName);
    bool giveUpRequested();
    void finishRun();

    static const size_t maxPathLength = 32767;  // characters, as Windows' own limit

    std::wstring localPath;
    HINSTANCE moduleHandle;
    HostFunctionTable* host;
    ContactCopy contact;
    HWND progressWindow;
    std::shared_ptr<const std::atomic<bool>> abortPressed;  // the window's "Przerwij"
};

}
