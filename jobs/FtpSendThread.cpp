#include "jobs/FtpSendThread.h"

#include "jobs/LinkCheck.h"
#include "jobs/LinkDelivery.h"
#include "jobs/LinkText.h"
#include "jobs/UploadProgress.h"
#include "plugin/HostLog.h"
#include "plugin/SentFiles.h"
#include "plugin/SettingsStore.h"
#include "remote/FtpSettings.h"
#include "remote/NameListing.h"
#include "remote/Problem.h"
#include "remote/RandomPrefix.h"
#include "remote/RemoteFolder.h"
#include "ui/ErrorReport.h"
#include "ui/HostWindow.h"
#include "ui/LinkClipboard.h"
#include "ui/ProgressText.h"
#include "ui/ProgressWindow.h"
#include "ui/SentFilesWindow.h"
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

std::wstring nameOf(const std::wstring& path)
{
    return path.substr(path.find_last_of(L"\\/") + 1);
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
                             const std::vector<std::wstring>& paths)
    : localPaths(paths), moduleHandle(moduleHandle), host(host), contact(contact), progressWindow(nullptr)
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

// The links of the files stored go out even when the send failed or was
// aborted; the boxes come after them, so none holds the links back.
DWORD FtpSendThread::threadMain()
{
    if (!host || !moduleHandle)
        return 2;
    std::exception_ptr sendFailure;
    try {
        run();
    } catch (...) {
        // An abort pressed while a send was blocked ends in that send's failure.
        if (!mustGiveUp())
            sendFailure = std::current_exception();
    }
    try {
        deliverLinks();
        if (sendFailure)
            ErrorReport::show(sendFailure, ErrorReport::Caption::byKind);
        reportFailedFiles();
        finishRun();
    } catch (...) {
    }
    return 0;
}

void FtpSendThread::run()
{
    settings = FtpSettings::read();
    std::vector<size_t> sendable = filesWithSendableNames();
    if (sendable.empty())
        return;
    std::unique_ptr<RemoteFolder> folder = RemoteFolder::enter(settings, TrustQuestions::inBoxes());
    for (size_t index : sendable) {
        if (mustGiveUp())
            break;
        try {
            sendFile(folder, index);
        } catch (const Poco::IOException& e) {
            if (!Problem::isAboutLocalFile(e.code()))
                throw;
            failedFiles.push_back({localPaths[index], std::current_exception()});
        }
    }
    if (progressWindow && !mustGiveUp() && !storedNames.empty())
        UploadProgress::finish(progressWindow);
    folder->leave();
}

// A name with a line break is refused before anything is sent.
std::vector<size_t> FtpSendThread::filesWithSendableNames()
{
    std::vector<size_t> sendable;
    for (size_t index = 0; index < localPaths.size(); ++index) {
        if (nameOf(localPaths[index]).find_first_of(L"\r\n") == std::wstring::npos)
            sendable.push_back(index);
        else
            failedFiles.push_back(
                {localPaths[index], std::make_exception_ptr(Poco::IOException("", Problem::fileNameLineBreak))});
    }
    return sendable;
}

// Stores the file, or leaves nothing of it on the server: the user gave up,
// or the file failed. A connection that fails once the file has begun is
// made again, up to attempts in all, and the file continues where the server
// has it; the name chosen at the start stays.
void FtpSendThread::sendFile(std::unique_ptr<RemoteFolder>& folder, size_t index)
{
    const std::wstring& localPath = localPaths[index];
    std::string remoteName = chooseRemoteName(*folder, nameOf(localPath));

    FILE* opened = nullptr;
    if (_wfopen_s(&opened, localPath.c_str(), L"rb") != 0 || !opened)
        throw Poco::IOException("", Problem::fileUnopened);
    OpenFile file(opened);
    // One read of the disk per block sent; the chunks come from this buffer.
    setvbuf(opened, nullptr, _IOFBF, RemoteFolder::maxChunk);
    UploadProgress progress(progressWindow, fileSize(opened));
    if (progressWindow && !mustGiveUp())
        progress.begin(ProgressText::caption(folder->nameEncoding().decode(remoteName), index + 1, localPaths.size()),
                       localPath);
    for (int attempt = 1;; ++attempt) {
        try {
            if (tryToStore(folder, opened, remoteName, attempt, progress)) {
                storedNames.push_back(remoteName);
                recordSent(*folder, index, remoteName, progress.total());
            }
            return;
        } catch (const Poco::Exception& failure) {
            bool cut = RemoteFolder::connectionFailed(failure);
            if (!cut || attempt == attempts || mustGiveUp()) {
                if (cut || leftPartialFile(failure, attempt))
                    removePartialFile(folder, remoteName, !mustGiveUp());
                throw;
            }
        }
        if (!waitBeforeAttempt(attempt + 1, progress)) {
            removePartialFile(folder, remoteName, false);
            return;
        }
    }
}

// Returns whether the file is stored whole; false when the user gave up and
// nothing of it is left. Attempts after the first connect again and take up
// what the server holds.
bool FtpSendThread::tryToStore(std::unique_ptr<RemoteFolder>& folder, FILE* file, const std::string& remoteName,
                               int attempt, UploadProgress& progress)
{
    int64_t held = 0;
    if (attempt == 1) {
        folder->beginUpload(remoteName);
    } else {
        folder->leave();
        folder = RemoteFolder::enter(settings, TrustQuestions::inBoxes());
        held = folder->resumeUpload(remoteName);
    }
    _fseeki64(file, held, SEEK_SET);
    if (progressWindow)
        progress.resumeAt(held);
    bool sent = transfer(*folder, file, held, progress);
    if (!sent || mustGiveUp() || !folder->finishUpload([this] { return mustGiveUp(); })) {
        folder->abandonUpload();
        return false;
    }
    int64_t stored = folder->storedSize(remoteName);
    if (stored >= 0 && stored != progress.total())
        throw Poco::IOException(remoteName, Problem::storedSizeDiffers);
    return true;
}

// What a refusal leaves of the folder's own upload the folder removes, and
// an unread file is taken back at once; but a refusal on a later attempt
// (of the login, of the resume) finds the earlier attempts' part there.
bool FtpSendThread::leftPartialFile(const Poco::Exception& refusal, int attempt)
{
    if (refusal.code() == Problem::storedSizeDiffers)
        return true;
    return attempt > 1 && refusal.code() != Problem::fileUnreadToEnd;
}

// The abort button works throughout the wait.
bool FtpSendThread::waitBeforeAttempt(int attempt, UploadProgress& progress)
{
    static const DWORD waitsMs[attempts - 1] = {2000, 5000, 10000};
    if (progressWindow)
        progress.retrying(ProgressText::resuming(attempt, attempts));
    ULONGLONG until = GetTickCount64() + waitsMs[attempt - 2];
    while (GetTickCount64() < until) {
        if (mustGiveUp())
            return false;
        Sleep(100);
    }
    return !mustGiveUp();
}

// After a failed connection the partial file goes through a new one, unless
// the job must end at once (the messenger closing, the user's abort).
void FtpSendThread::removePartialFile(std::unique_ptr<RemoteFolder>& folder, const std::string& remoteName,
                                      bool reconnect)
{
    try {
        folder->remove(remoteName);
        return;
    } catch (const Poco::Exception&) {
    }
    if (!reconnect)
        return;
    try {
        folder->leave();
        folder = RemoteFolder::enter(settings, TrustQuestions::inBoxes());
        folder->remove(remoteName);
    } catch (const Poco::Exception&) {
    }
}

// The list of sent files learns of each file as soon as it is stored. The
// server's time of the file lets a removal tell it from a later one of the
// same name. A list that cannot be written costs the file nothing.
void FtpSendThread::recordSent(RemoteFolder& folder, size_t index, const std::string& remoteName, int64_t size)
{
    SentFileRecord record;
    record.sentAt = _time64(nullptr);
    record.protocol = static_cast<int>(settings.protocol);
    record.server = settings.serverName();
    record.dir = settings.dir;
    record.name = folder.nameEncoding().decode(remoteName);
    record.localPath = localPaths[index];
    record.size = size;
    storedSizes.push_back(size);
    try {
        record.serverTime = folder.storedTime(remoteName);
    } catch (const Poco::Exception&) {
        // The file is stored; a connection that fails now is the next file's failure.
    }
    record.contact = contact.label();
    std::wstring prefix = SettingsStore::readString(SettingKeys::httpHost);
    if (!prefix.empty())
        record.link = LinkText::linkFor(prefix, remoteName);
    if (SentFiles::add(record))
        SentFilesWindow::listChanged(false);
    else
        logToHost(logLevel, logSource, L"%ls is stored, but the list of sent files cannot be written",
                  record.name.c_str());
}

// The name goes in the session's encoding, and is compared in it with the
// names listed. The whole listing is read for each file, so no listed name is
// missed, and a time-prefixed name is checked against it too. The names
// stored by this send count as listed, also where the server lists no dot
// names: two chosen files of one name never meet on the server. A random
// prefix, where chosen, is part of the name the clash rule sees.
std::string FtpSendThread::chooseRemoteName(RemoteFolder& folder, const std::wstring& localName)
{
    std::string name;
    if (!folder.nameEncoding().encode(localName, name))
        throw Poco::IOException("", Problem::fileNameNotEncodable);
    if (SettingsStore::readOptIn(SettingKeys::randomPrefix))
        name = RandomPrefix::make() + "_" + name;
    NameListing listing = folder.listNames();
    for (const std::string& stored : storedNames)
        listing.addName(stored);
    return listing.freeNameFor(name, _time64(nullptr));
}

// From byte `sent` to the end; false when the user gave up.
bool FtpSendThread::transfer(RemoteFolder& folder, FILE* file, int64_t sent, UploadProgress& progress)
{
    for (;;) {
        size_t read = fread(folder.room(chunkSize), 1, chunkSize, file);
        if (read == 0) {
            if (ferror(file))
                abandonUnreadFile(folder);
            break;
        }
        if (mustGiveUp())
            return false;
        folder.commit(read);
        sent += static_cast<int64_t>(read);
        if (progressWindow)
            progress.update(sent);
    }
    if (progressWindow)
        progress.settle(sent);
    return true;
}

// Not when the messenger closes: its conversation is going away, and its
// thread may be waiting for this one. The files stay on the server.
void FtpSendThread::deliverLinks()
{
    if (storedNames.empty() || messengerClosing())
        return;
    std::vector<DeadLinksReport::DeadLink> dead;
    std::vector<bool> sendable = checkLinks(dead);
    std::wstring links = LinkDelivery::deliver(host, contact.record(), storedNames, sendable);
    if (!links.empty() && SettingsStore::readOptIn(SettingKeys::copyLink))
        LinkClipboard::copy(IsWindow(progressWindow) ? progressWindow : HostWindow::find(), links);
    if (!dead.empty())
        DeadLinksReport::show(dead);
}

// Which links may go to the contact: those the web server serves, when they
// are to be sent at all. An abort ends the check, and the links not checked
// then go as they would without it.
std::vector<bool> FtpSendThread::checkLinks(std::vector<DeadLinksReport::DeadLink>& dead)
{
    std::vector<bool> sendable(storedNames.size(), true);
    std::wstring prefix = SettingsStore::readString(SettingKeys::httpHost);
    if (prefix.empty() || SettingsStore::readFlag(SettingKeys::linksOnlyShown) ||
        !SettingsStore::readFlag(SettingKeys::verifyLink))
        return sendable;
    for (size_t index = 0; index < storedNames.size() && !mustGiveUp(); ++index) {
        DeadLinksReport::DeadLink found;
        LinkCheck::Verdict verdict = LinkCheck::check(LinkText::linkFor(prefix, storedNames[index]),
                                                      storedSizes[index], [this] { return mustGiveUp(); }, found);
        if (verdict == LinkCheck::Verdict::unchecked)
            break;
        if (verdict == LinkCheck::Verdict::dead) {
            sendable[index] = false;
            dead.push_back(found);
        }
    }
    return sendable;
}

// One file's failure in a one-file send is that send's failure, boxed as such.
void FtpSendThread::reportFailedFiles()
{
    if (failedFiles.empty() || messengerClosing())
        return;
    if (localPaths.size() == 1) {
        if (!mustGiveUp())
            ErrorReport::show(failedFiles.front().failure, ErrorReport::Caption::byKind);
    } else {
        ErrorReport::showFailedFiles(failedFiles, localPaths.size());
    }
}

// The window closes when the run ends unless the user chose to keep it.
void FtpSendThread::finishRun()
{
    if (!progressWindow || mustGiveUp() || !SettingsStore::readFlag(SettingKeys::autoClose))
        return;
    PostMessageW(progressWindow, WM_COMMAND, ProgressWindow::CloseButton, 0);
}

}
