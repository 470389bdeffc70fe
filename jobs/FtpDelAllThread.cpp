#include "jobs/FtpDelAllThread.h"

#include "remote/FtpSettings.h"
#include "remote/NameListing.h"
#include "remote/RemoteFolder.h"
#include "ui/DeleteAllSummary.h"
#include "ui/ErrorReport.h"
#include "ui/TrustQuestions.h"

#include <Poco/Exception.h>

#include <exception>

namespace Vornix {

FtpDelAllThread::FtpDelAllThread()
{
    if (DeleteAllSummary::confirm())
        startThread();
}

bool FtpDelAllThread::isKept(const std::string& name)
{
    return (!name.empty() && name[0] == '.') || name == "index.htm" || name == "index.html" ||
           name.find_first_of(std::string("/\\\0", 3)) != std::string::npos;
}

DWORD FtpDelAllThread::threadMain()
{
    try {
        run();
    } catch (...) {
        ErrorReport::show(std::current_exception(), ErrorReport::Caption::plain);
    }
    return 0;
}

void FtpDelAllThread::run()
{
    FtpSettings settings = FtpSettings::read();
    std::unique_ptr<RemoteFolder> folder = RemoteFolder::enter(settings, TrustQuestions::inBoxes());
    NameListing listing = folder->listNames();
    size_t deleted = deleteListed(*folder, listing.names());
    folder->leave();
    if (mustGiveUp())
        return;
    DeleteAllSummary::showClosing(deleted, listing.unsafeNames().size());
}

size_t FtpDelAllThread::deleteListed(RemoteFolder& folder, const std::vector<std::string>& names)
{
    size_t deleted = 0;
    for (const std::string& name : names) {
        if (mustGiveUp())
            break;
        if (isKept(name))
            continue;
        folder.remove(name);
        ++deleted;
    }
    return deleted;
}

}
