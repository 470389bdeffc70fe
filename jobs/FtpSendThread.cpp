#include "jobs/FtpSendThread.h"

#include "jobs/FtpSession.h"
#include "jobs/FtpSettings.h"
#include "jobs/LinkDelivery.h"
#include "jobs/NameListing.h"
#include "jobs/UploadErrorReport.h"
#include "jobs/UploadProgress.h"
#include "jobs/UploadStream.h"
#include "plugin/HostLog.h"
#include "plugin/SettingsStore.h"
#include "plugin/TextConversion.h"
#include "ui/FileChoice.h"
#include "ui/HostWindow.h"
#include "ui/ProgressWindow.h"

#include <Poco/Exception.h>
#include <Poco/Net/NetException.h>

#include <cstdio>
#include <cwchar>
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

// Deletes what was stored of a file whose data connection failed. The
// server's own reply to the broken transfer is the most telling error.
[[noreturn]] void abandonUpload(FtpSession& session, const std::string& remoteName)
{
    std::exception_ptr failure;
    try {
        session.endUpload();
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        session.remove(remoteName);
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    if (failure)
        std::rethrow_exception(failure);
    throw Poco::Net::NetException("Socket send error", 0);
}

// After an abort the partly stored file goes, even when the server took the
// end of the transfer badly. Data already handed to the socket would reach
// the server after a plain close, so the connection is reset.
void removeAfterStop(FtpSession& session, const std::string& remoteName)
{
    try {
        session.endUploadAbruptly();
    } catch (const Poco::Exception&) {
    }
    session.remove(remoteName);
}

// A file that cannot be read to its end must not be stored cut short. The
// read failure is what the user needs to hear, even when the removal fails.
[[noreturn]] void abandonUnreadFile(FtpSession& session, const std::string& remoteName)
{
    try {
        removeAfterStop(session, remoteName);
    } catch (const Poco::Exception&) {
    }
    throw Poco::IOException(TextConversion::toAnsi(L"Nie można odczytać pliku do końca"), 0);
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
                             const wchar_t* path)
    : moduleHandle(moduleHandle), host(host), contact(contact), progressWindow(nullptr)
{
    try {
        HWND owner = HostWindow::find();
        if (!settlePath(path, owner))
            return;
        progressWindow = ProgressWindow::create(moduleHandle, owner);
        if (!startThread() && progressWindow) {
            DestroyWindow(progressWindow);
            progressWindow = nullptr;
        }
    } catch (...) {
        logCaughtException(L"upload start");
    }
}

// Any path Windows can open is taken; only one past the longest path Windows
// itself handles is refused.
bool FtpSendThread::settlePath(const wchar_t* path, HWND owner)
{
    if (!path)
        return FileChoice::askForFile(owner, moduleHandle, localPath);
    size_t length = wcsnlen(path, maxPathLength + 1);
    if (length > maxPathLength) {
        MessageBoxW(owner, L"Nie można wysłać pliku: jego ścieżka jest dłuższa niż 32767 znaków.",
                    L"Vornix - I/O Error", MB_ICONERROR);
        return false;
    }
    localPath.assign(path, length);
    return true;
}

DWORD FtpSendThread::threadMain()
{
    if (!host || !moduleHandle)
        return 2;
    try {
        run();
    } catch (...) {
        // An abort pressed while a send was blocked ends in that send's failure.
        if (!giveUpRequested())
            UploadErrorReport::show(std::current_exception());
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
        throw Poco::IOException(TextConversion::toAnsi(L"Nazwa pliku zawiera znak nowego wiersza"), 0);

    FtpSession session(settings.server);
    session.enter(settings, CertificateTrust(settings.server, CertificateTrust::askInBox));
    std::string remoteName = chooseRemoteName(session, localName);

    FILE* opened = nullptr;
    if (_wfopen_s(&opened, localPath.c_str(), L"rb") != 0 || !opened)
        throw Poco::IOException(TextConversion::toAnsi(L"Nie można otworzyć tego pliku"), 0);
    OpenFile file(opened);
    // One read of the disk per block sent; the chunks come from this buffer.
    setvbuf(opened, nullptr, _IOFBF, UploadStream::blockSize);
    transfer(session, file.get(), fileSize(file.get()), remoteName);
    file.reset();

    bool stored = !stopRequested && session.endUploadPatiently([this] { return giveUpRequested(); });
    if (!stored) {
        removeAfterStop(session, remoteName);
    } else {
        if (progressWindow)
            UploadProgress::finish(progressWindow);
        LinkDelivery::deliver(host, contact.record(), remoteName);
    }
    session.quit();
}

// The user's "Przerwij" and the messenger's stop request end the run alike.
bool FtpSendThread::giveUpRequested()
{
    if (!stopRequested && progressWindow && ProgressWindow::abortRequested(progressWindow))
        stopRequested = true;
    return stopRequested;
}

// The name goes in the session's encoding, and is compared in it with the
// names listed. The whole listing is read, so no listed name is missed, and a
// time-prefixed name is checked against it too.
std::string FtpSendThread::chooseRemoteName(FtpSession& session, const std::wstring& localName)
{
    std::string name;
    if (!session.nameEncoding().encode(localName, name))
        throw Poco::IOException(TextConversion::toAnsi(
            L"Nazwa pliku zawiera znaki spoza strony kodowej systemu, a serwer FTP nie obsługuje UTF-8"), 0);
    return session.listNames().freeNameFor(name, _time64(nullptr));
}

void FtpSendThread::transfer(FtpSession& session, FILE* file, int64_t size, const std::string& remoteName)
{
    UploadStream upload(session.beginUpload(remoteName));
    UploadProgress progress(progressWindow, size);
    if (progressWindow && !stopRequested)
        progress.begin(session.nameEncoding().decode(remoteName), localPath);
    int64_t sent = 0;
    bool readFailed = false;
    try {
        for (;;) {
            size_t read = fread(upload.room(chunkSize), 1, chunkSize, file);
            if (read == 0) {
                readFailed = ferror(file) != 0;
                break;
            }
            if (giveUpRequested())
                break;
            upload.commit(read);
            sent += static_cast<int64_t>(read);
            if (progressWindow)
                progress.update(sent);
        }
        if (!stopRequested && !readFailed)
            upload.flush();
    } catch (const Poco::Exception&) {
        abandonUpload(session, remoteName);
    }
    if (readFailed)
        abandonUnreadFile(session, remoteName);
    if (progressWindow)
        progress.settle(sent);
}

// The window closes when the run ends unless the user chose to keep it.
void FtpSendThread::finishRun()
{
    if (!progressWindow || stopRequested || !SettingsStore::readFlag(SettingKeys::autoClose))
        return;
    PostMessageW(progressWindow, WM_COMMAND, ProgressWindow::CloseButton, 0);
}

}
