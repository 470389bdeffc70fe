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
class UploadProgress;

namespace Poco {
class Exception;
}

namespace Vornix {

class FtpSendThread : public JobThread {
public:
    // Creates the hidden progress window and starts the thread that sends
    // the files at `paths`, in that order. Never fails outwards: without a
    // thread the job has a null handle.
    FtpSendThread(HostFunctionTable* host, const ContactRecord* contact, HINSTANCE moduleHandle,
                  const std::vector<std::wstring>& paths);

private:
    // 2 without host or module, else 0 (failures included).
    DWORD threadMain() override;
    void run();
    std::vector<size_t> filesWithSendableNames();
    void sendFile(std::unique_ptr<RemoteFolder>& folder, size_t index);
    bool tryToStore(std::unique_ptr<RemoteFolder>& folder, FILE* file, const std::string& remoteName, int attempt,
                    UploadProgress& progress);
    static bool leftPartialFile(const Poco::Exception& refusal, int attempt);
    bool waitBeforeAttempt(int attempt, UploadProgress& progress);
    void removePartialFile(std::unique_ptr<RemoteFolder>& folder, const std::string& remoteName, bool reconnect);
    void recordSent(RemoteFolder& folder, size_t index, const std::string& remoteName, int64_t size);
    std::string chooseRemoteName(RemoteFolder& folder, const std::wstring& localName);
    bool transfer(RemoteFolder& folder, FILE* file, int64_t sent, UploadProgress& progress);
    void deliverLinks();
    std::vector<bool> checkLinks(std::vector<DeadLinksReport::DeadLink>& dead);
    void reportFailedFiles();
    void finishRun();

    static const int attempts = 4;

    FtpSettings settings;
    std::vector<std::wstring> localPaths;
    std::vector<std::string> storedNames;  // on the server, in the order chosen
    std::vector<int64_t> storedSizes;      // of storedNames
    std::vector<ErrorReport::FailedFile> failedFiles;
    HINSTANCE moduleHandle;
    HostFunctionTable* host;
    ContactCopy contact;
    HWND progressWindow;
};

}
