#include "jobs/FtpDelAllThread.h"

#include "plugin/SentFiles.h"
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
    std::set<std::string> deleted;
    try {
        deleteListed(*folder, listing.names(), deleted);
    } catch (...) {
        forgetDeleted(settings, *folder, listing, deleted);
        throw;
    }
    folder->leave();
    forgetDeleted(settings, *folder, listing, deleted);
    if (mustGiveUp())
        return;
    DeleteAllSummary::showClosing(deleted.size(), listing.unsafeNames().size());
}

// Stops at the first name the server refuses; `deleted` then holds the names gone before it.
void FtpDelAllThread::deleteListed(RemoteFolder& folder, const std::vector<std::string>& names,
                                   std::set<std::string>& deleted)
{
    for (const std::string& name : names) {
        if (mustGiveUp())
            break;
        if (isKept(name))
            continue;
        folder.remove(name);
        deleted.insert(name);
    }
}

// The list keeps the directory's sent files that are still there: the kept
// names (which some servers do not list) and those not reached.
void FtpDelAllThread::forgetDeleted(const FtpSettings& settings, const RemoteFolder& folder, const NameListing& listing,
                                    const std::set<std::string>& deleted)
{
    int protocol = static_cast<int>(settings.protocol);
    std::wstring server = settings.serverName();
    SentFiles::forget([&](const SentFileRecord& record) {
        std::string name;
        if (!record.isIn(protocol, server, settings.dir) || !folder.nameEncoding().encode(record.name, name))
            return false;
        return deleted.count(name) > 0 || (!isKept(name) && !listing.contains(name));
    });
}

}
