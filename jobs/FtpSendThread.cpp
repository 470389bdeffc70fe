#include "jobs/FtpSendThread.h"

#include "remote/FtpSettings.h"
#include "jobs/LinkDelivery.h"
#include "remote/NameListing.h"
#include "remote/RemoteFolder.h"
#include "ui/UploadErrorReport.h"
#include "jobs/UploadProgress.h"
#include "plugin/HostLog.h"
#include "plugin/SettingsStore.h"
#include "plugin/TextConversion.h"
#include "ui/FileChoice.h"
#include "ui/HostWindow.h"
#include "ui/ProgressWindow.h"

#include <Poco/Exception.h>

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

// A file that cannot be read to its end must not be stored cut short. The
// read failure is what the user needs to hear, even when the removal fails.
[[noreturn]] void abandonUnreadFile(RemoteFolder& folder)
{
    try {
        folder.abandonUpload();
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
        abortPressed = ProgressWindow::abortFlag(progressWindow);
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

    std::unique_ptr<RemoteFolder> folder = RemoteFolder::enter(settings);
    std::string remoteName = chooseRemoteName(*folder, localName);

    FILE* opened = nullptr;
    if (_wfopen_s(&opened, localPath.c_str(), L"rb") != 0 || !opened)
        throw Poco::IOException(TextConversion::toAnsi(L"Nie można otworzyć tego pliku"), 0);
    OpenFile file(opened);
    // One read of the disk per block sent; the chunks come from this buffer.
    setvbuf(opened, nullptr, _IOFBF, RemoteFolder::maxChunk);
    transfer(*folder, file.get(), fileSize(file.get()), remoteName);
    file.reset();

    bool stored = !stopRequested && folder->finishUpload([this] { return giveUpRequested(); });
    if (!stored) {
        folder->abandonUpload();
    } else {
        if (progressWindow)
            UploadProgress::finish(progressWindow);
        LinkDelivery::deliver(host, contact.record(), remoteName);
    }
    folder->leave();
}

// The user's "Przerwij" and the messenger's stop request end the run alike.
bool FtpSendThread::giveUpRequested()
{
    if (!stopRequested && abortPressed && abortPressed->load())
        stopRequested = true;
    return stopRequested;
}

// The name goes in the session's encoding, and is compared in it with the
// names listed. The whole listing is read, so no listed name is missed, and a
// time-prefixed name is checked against it too.
std::string FtpSendThread::chooseRemoteName(RemoteFolder& folder, const std::wstring& localName)
{
    std::string name;
    if (!folder.nameEncoding().encode(localName, name))
        throw Poco::IOException(TextConversion::toAnsi(
            L"Nazwa pliku zawiera znaki spoza strony kodowej systemu, a serwer FTP nie obsługuje UTF-8"), 0);
    return folder.listNames().freeNameFor(name, _time64(nullptr));
}

void FtpSendThread::transfer(RemoteFolder& folder, FILE* file, int64_t size, const std::string& remoteName)
{
    folder.beginUpload(remoteName);
    UploadProgress progress(progressWindow, size);
    if (progressWindow && !stopRequested)
        progress.begin(folder.nameEncoding().decode(remoteName), localPath);
    int64_t sent = 0;
    for (;;) {
        size_t read = fread(folder.room(chunkSize), 1, chunkSize, file);
        if (read == 0) {
            if (ferror(file))
                abandonUnreadFile(folder);
            break;
        }
        if (giveUpRequested())
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
    if (!progressWindow || stopRequested || !SettingsStore::readFlag(SettingKeys::autoClose))
        return;
    PostMessageW(progressWindow, WM_COMMAND, ProgressWindow::CloseButton, 0);
}

}
