#include "jobs/FtpSendThread.h"

#include "jobs/LinkCheck.h"
#include "jobs/LinkDelivery.h"
#include "jobs/LinkText.h"
#include "jobs/UploadAttempts.h"
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

FtpSendThread::~FtpSendThread() = default;

// The links of the files stored go out even when the send failed or was
// aborted; the goodbye to the server and the boxes come after them, so
// neither a slow server nor the user's reading holds the links back.
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
        leaveFolder();
        if (!deadLinks.empty() && !messengerClosing())
            DeadLinksReport::show(deadLinks);
        // An abort pressed while the failure was on its way is the user's
        // word too: over TLS the reset data connection can fail first.
        if (sendFailure && !mustGiveUp())
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
    folder = RemoteFolder::enter(settings, TrustQuestions::inBoxes([this] { return mustGiveUp(); }));
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
}

// Says goodbye, ignoring any failure.
void FtpSendThread::leaveFolder()
{
    if (folder)
        folder->leave();
    folder.reset();
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

// Stores the file, or leaves nothing of this job's on the server: the user
// gave up, or the file failed. The name may change on a later attempt, when
// the one chosen at the start has been taken meanwhile.
void FtpSendThread::sendFile(std::unique_ptr<RemoteFolder>& folder, size_t index)
{
    const std::wstring& localPath = localPaths[index];
    std::wstring localName = nameOf(localPath);
    std::string remoteName = chooseRemoteName(*folder, localName);

    FILE* opened = nullptr;
    if (_wfopen_s(&opened, localPath.c_str(), L"rb") != 0 || !opened)
        throw Poco::IOException("", Problem::fileUnopened);
    OpenFile file(opened);
    // One read of the disk per block sent; the chunks come from this buffer.
    setvbuf(opened, nullptr, _IOFBF, RemoteFolder::maxChunk);
    UploadProgress progress(progressWindow, fileSize(opened));
    if (!mustGiveUp())
        progress.begin(ProgressText::caption(folder->nameEncoding().decode(remoteName), index + 1, localPaths.size()),
                       localPath);
    UploadAttempts::Server server{
        [this] { return RemoteFolder::enter(settings, TrustQuestions::inBoxes([this] { return mustGiveUp(); })); },
        [this](const Poco::Exception& failure) { return RemoteFolder::connectionFailed(settings.protocol, failure); },
        [this, &localName](RemoteFolder& there, const std::vector<std::string>& alsoTaken) {
            return chooseRemoteName(there, localName, alsoTaken);
        }};
    UploadAttempts attempts(server, UploadAttempts::productWaitsMs, [this] { return mustGiveUp(); }, progress);
    std::string storedName = attempts.store(folder, opened, progress.total(), remoteName);
    if (storedName.empty())
        return;
    storedNames.push_back(storedName);
    recordSent(*folder, index, storedName, progress.total());
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
std::string FtpSendThread::chooseRemoteName(RemoteFolder& folder, const std::wstring& localName,
                                            const std::vector<std::string>& alsoTaken)
{
    std::string name;
    if (!folder.nameEncoding().encode(localName, name))
        throw Poco::IOException("", Problem::fileNameNotEncodable);
    if (SettingsStore::readOptIn(SettingKeys::randomPrefix))
        name = RandomPrefix::make() + "_" + name;
    NameListing listing = folder.listNames();
    for (const std::string& stored : storedNames)
        listing.addName(stored);
    for (const std::string& taken : alsoTaken)
        listing.addName(taken);
    return listing.freeNameFor(name, _time64(nullptr));
}

// Not when the messenger closes: its conversation is going away, and its
// thread may be waiting for this one. The files stay on the server.
void FtpSendThread::deliverLinks()
{
    if (storedNames.empty() || messengerClosing())
        return;
    std::vector<bool> sendable = checkLinks(deadLinks);
    std::wstring links = LinkDelivery::deliver(host, contact.record(), storedNames, sendable);
    if (!links.empty() && SettingsStore::readOptIn(SettingKeys::copyLink))
        LinkClipboard::copy(IsWindow(progressWindow) ? progressWindow : HostWindow::find(), links);
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
