// The upload job: sends one local file to the configured server on a
// thread of its own, shows its progress and delivers the link.
#pragma once

#include "jobs/ContactCopy.h"
#include "jobs/JobThread.h"
#include "plugin/HostInterface.h"

#include <cstdint>
#include <memory>
#include <string>

class RemoteFolder;

namespace Vornix {

class FtpSendThread : public JobThread {
public:
    // Creates the hidden progress window and starts the thread that sends
    // the file at `path`. Never fails outwards: without a thread the job has
    // a null handle.
    FtpSendThread(HostFunctionTable* host, const ContactRecord* contact, HINSTANCE moduleHandle,
                  const std::wstring& path);

private:
    // 2 without host or module, else 0 (failures included).
    DWORD threadMain() override;
    void run();
    std::string chooseRemoteName(RemoteFolder& folder, const std::wstring& localName);
    void transfer(RemoteFolder& folder, FILE* file, int64_t size, const std::string& remoteName);
    void finishRun();

    std::wstring localPath;
    HINSTANCE moduleHandle;
    HostFunctionTable* host;
    ContactCopy contact;
    HWND progressWindow;
};

}
