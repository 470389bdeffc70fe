// The upload job: sends the chosen local files, one after another, to the
// configured server on a thread of its own, shows their progress in one
// window and delivers their links in one message when the send ends.
#pragma once

#include "jobs/ContactCopy.h"
#include "jobs/JobThread.h"
#include "plugin/HostInterface.h"
#include "remote/FtpSettings.h"
#include "ui/DeadLinksReport.h"
#include "ui/ErrorReport.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class RemoteFolder;

namespace Vornix {

class FtpSendThread : public JobThread {
public:
    // Creates the hidden progress window and starts the thread that sends
    // the files at `paths`, in that order. Never fails outwards: without a
    // thread the job has a null handle.
    FtpSendThread(HostFunctionTable* host, const ContactRecord* contact, HINSTANCE moduleHandle,
                  const std::vector<std::wstring>& paths);
    ~FtpSendThread() override;

private:
    // 2 without host or module, else 0 (failures included).
    DWORD threadMain() override;
    void run();
    void leaveFolder();
    std::vector<size_t> filesWithSendableNames();
    void sendFile(std::unique_ptr<RemoteFolder>& folder, size_t index);
    void recordSent(RemoteFolder& folder, size_t index, const std::string& remoteName, int64_t size);
    std::string chooseRemoteName(RemoteFolder& folder, const std::wstring& localName,
                                 const std::vector<std::string>& alsoTaken = {});
    void deliverLinks();
    std::vector<bool> checkLinks(std::vector<DeadLinksReport::DeadLink>& dead);
    void reportFailedFiles();
    void finishRun();

    FtpSettings settings;
    std::vector<std::wstring> localPaths;
    std::vector<std::string> storedNames;  // on the server, in the order chosen
    std::vector<int64_t> storedSizes;      // of storedNames
    std::vector<ErrorReport::FailedFile> failedFiles;
    HINSTANCE moduleHandle;
    HostFunctionTable* host;
    ContactCopy contact;
    HWND progressWindow;
    std::unique_ptr<RemoteFolder> folder;  // entered by run, left after the links went
    std::vector<DeadLinksReport::DeadLink> deadLinks;  // named in a box once the server is left
};

}
