#include "FtpDelAllThread.h"

#include "FtpSession.h"
#include "FtpSettings.h"
#include "ModulePin.h"
#include "NameListing.h"
#include "ui/HostWindow.h"

#include <Poco/Exception.h>

#include <exception>

namespace Vornix {

namespace {

void showError(const Poco::Exception& failure)
{
    MessageBoxA(nullptr, failure.displayText().c_str(), "Vornix", MB_ICONERROR);
}

void showSkipped(const NameListing& listing)
{
    std::wstring text = L"Usunięto pliki, ale pominięto " + std::to_wstring(listing.unsafeNames().size()) +
                        L" o nazwach ze znakiem nowego wiersza, których nie można bezpiecznie przesłać do "
                        L"serwera FTP.";
    MessageBoxW(nullptr, text.c_str(), L"Vornix", MB_ICONWARNING);
}

}

FtpDelAllThread::FtpDelAllThread() : threadHandle(nullptr), stopRequested(false)
{
    int answer = MessageBoxW(HostWindow::find(),
                             L"Czy na pewno usunąć WSZYSTKIE pliki znajdujące się w katalogu roboczyn na "
                             L"serwerze FTP?",
                             L"Vornix", MB_YESNO);
    if (answer == IDYES)
        threadHandle = ModulePin::startThread(threadRoutine, this);
}

HANDLE FtpDelAllThread::getHandle()
{
    return threadHandle;
}

void FtpDelAllThread::requestStop()
{
    stopRequested = true;
}

bool FtpDelAllThread::isKept(const std::string& name)
{
    return (!name.empty() && name[0] == '.') || name == "index.htm" || name == "index.html";
}

DWORD WINAPI FtpDelAllThread::threadRoutine(LPVOID param)
{
    DWORD result = 0;
    auto job = static_cast<FtpDelAllThread*>(param);
    if (!job) {
        result = 1;
    } else {
        try {
            job->run();
        } catch (const Poco::Exception& e) {
            showError(e);
        } catch (...) {
            MessageBoxW(nullptr, L"Uknown error occured", L"Vornix", MB_ICONERROR);
        }
    }
    ModulePin::exitThread(result);
}

// The listing is read to its end and closed before the first DELE: replies to
// commands sent while its data connection is open come back out of step.
void FtpDelAllThread::run()
{
    FtpSettings settings = FtpSettings::read();
    FtpSession session(settings.server);
    session.login(settings.username, settings.password);
    if (!settings.dir.empty())
        session.setWorkingDirectory(settings.dir);
    NameListing listing = NameListing::read(session.beginList("", false));
    session.endList();
    deleteListed(session, listing.names());
    session.quit();
    if (stopRequested)
        return;
    if (!listing.unsafeNames().empty())
        showSkipped(listing);
    else
        MessageBoxW(nullptr, L"Wszystkie pliki usunięto pomyślnie", L"Vornix", MB_ICONINFORMATION);
}

void FtpDelAllThread::deleteListed(FtpSession& session, const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        if (stopRequested)
            return;
        if (!isKept(name))
            session.remove(name);
    }
}

}
