#include "jobs/FtpSendThread.h"

#include "jobs/LinkDelivery.h"
#include "jobs/UploadProgress.h"
#include "plugin/HostLog.h"
#include "plugin/SettingsStore.h"
#include "remote/FtpSettings.h"
#include "remote/NameListing.h"
#include "remote/Problem.h"
#include "remote/RemoteFolder.h"
#include "ui/ErrorReport.h"
#include "ui/HostWindow.h"
#include "ui/ProgressWindow.h"
#include "ui/TrustQuestions.h"

#include <Poco/Exception.h>

#include <cstdio>
#include <ctime>
#include <exception>
#include <memory>

namespace Vornix {

namespace {

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};
typedef std::unique_ptr<FILE, FileCloser> OpenFile;

const size_t chunkSize = 4096;

// A file that cannot be read to its end must not be stored cut short. The
// read failure is what the user needs to hear, even when the removal fails.
[[noreturn]] void abandonUnreadFile(RemoteFolder& folder)
{
    try {
        folder.abandonUpload();
    } catch (const Poco::Exception&) {
    }
    throw Poco::IOException("", Problem::fileUnreadToEnd);
}

int64_t fileSize(FILE* file)
{
    _fseeki64(file, 0, SEEK_END);
    int64_t size = _ftelli64(file);
    _fseeki64(file, 0, SEEK_SET);
    return size < 0 ? 0 : size;
}

}

FtpSendThread::FtpSendThread(HostFunctionTable* host, const ContactRecord* contact, HINSTANCE moduleHandle,
                             const std::wstring& path)
    : localPath(path), moduleHandle(moduleHandle), host(host), contact(contact), progressWindow(nullptr)
{
    try {
        progressWindow = ProgressWindow::create(moduleHandle, HostWindow::find());
        abortPressed = ProgressWindow::abortFlag(progressWindow);
        if (!startThread() && progressWindow) {
            DestroyWindow(progressWindow);
            progressWindow = nullptr;
        }
    } catch (...) {
        logCaughtException(L"upload start");
    }
}

DWORD FtpSendThread::threadMain()
{
    if (!host || !moduleHandle)
        return 2;
    try {
        run();
    } catch (...) {
        // An abort pressed while a send was blocked ends in that send's failure.
        if (!mustGiveUp())
            ErrorReport::show(std::current_exception(), ErrorReport::Caption::byKind);
    }
    try {
        finishRun();
    } catch (...) {
    }
    return 0;
}

void FtpSendThread::run()
{
    FtpSettings settings = FtpSettings::read();
    std::wstring localName = localPath.substr(localPath.find_last_of(L"\\/") + 1);
    if (localName.find_first_of(L"\r\n") != std::wstring::npos)
        throw Poco::IOException("", Problem::fileNameLineBreak);

    std::unique_ptr<RemoteFolder> folder = RemoteFolder::enter(settings, TrustQuestions::inBoxes());
    std::string remoteName = chooseRemoteName(*folder, localName);

    FILE* opened = nullptr;
    if (_wfopen_s(&opened, localPath.c_str(), L"rb") != 0 || !opened)
        throw Poco::IOException("", Problem::fileUnopened);
    OpenFile file(opened);
    // One read of the disk per block sent; the chunks come from this buffer.
    setvbuf(opened, nullptr, _IOFBF, RemoteFolder::maxChunk);
    transfer(*folder, file.get(), fileSize(file.get()), remoteName);
    file.reset();

    bool stored = !mustGiveUp() && folder->finishUpload([this] { return mustGiveUp(); });
    if (!stored) {
        folder->abandonUpload();
    } else {
        if (progressWindow)
            UploadProgress::finish(progressWindow);
        LinkDelivery::deliver(host, contact.record(), remoteName);
    }
    folder->leave();
}

// The name goes in the session's encoding, and is compared in it with the
// names listed. The whole listing is read, so no listed name is missed, and a
// time-prefixed name is checked against it too.
std::string FtpSendThread::chooseRemoteName(RemoteFolder& folder, const std::wstring& localName)
{
    std::string name;
    if (!folder.nameEncoding().encode(localName, name))
        throw Poco::IOException("", Problem::fileNameNotEncodable);
    return folder.listNames().freeNameFor(name, _time64(nullptr));
}

void FtpSendThread::transfer(RemoteFolder& folder, FILE* file, int64_t size, const std::string& remoteName)
{
    folder.beginUpload(remoteName);
    UploadProgress progress(progressWindow, size);
    if (progressWindow && !mustGiveUp())
        progress.begin(folder.nameEncoding().decode(remoteName), localPath);
    int64_t sent = 0;
    for (;;) {
        size_t read = fread(folder.room(chunkSize), 1, chunkSize, file);
        if (read == 0) {
            if (ferror(file))
                abandonUnreadFile(folder);
            break;
        }
        if (mustGiveUp())
            break;
        folder.commit(read);
        sent += static_cast<int64_t>(read);
        if (progressWindow)
            progress.update(sent);
    }
    if (progressWindow)
        progress.settle(sent);
}

// The window closes when the run ends unless the user chose to keep it.
void FtpSendThread::finishRun()
{
    if (!progressWindow || mustGiveUp() || !SettingsStore::readFlag(SettingKeys::autoClose))
        return;
    PostMessageW(progressWindow, WM_COMMAND, ProgressWindow::CloseButton, 0);
}

}
