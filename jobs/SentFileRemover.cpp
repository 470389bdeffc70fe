#include "jobs/SentFileRemover.h"

#include "plugin/SentFiles.h"
#include "remote/NameListing.h"
#include "remote/Problem.h"
#include "remote/RemoteFolder.h"

#include <Poco/Exception.h>

#include <map>
#include <memory>

namespace Vornix {

std::vector<SentFileRemover::Result> SentFileRemover::removeAll(const FtpSettings& settings,
                                                                const RemoteFolder::Questions& ask,
                                                                const std::vector<SentFileRecord>& records,
                                                                const Confirm& confirm,
                                                                const std::function<bool()>& givingUp)
{
    std::vector<Result> results;
    results.reserve(records.size());
    for (const SentFileRecord& record : records)
        results.push_back({record, Outcome::notReached, nullptr});
    std::map<std::wstring, std::vector<Result*>> byDirectory;
    for (Result& result : results) {
        if (result.record.protocol != static_cast<int>(settings.protocol) ||
            result.record.server != settings.serverName())
            result.outcome = Outcome::onOtherServer;
        else if (!isSafe(result.record))
            result = {result.record, Outcome::failed,
                      std::make_exception_ptr(Poco::IOException("", Problem::sentRecordUnsafe))};
        else
            byDirectory[result.record.dir].push_back(&result);
    }
    for (auto& directory : byDirectory) {
        if (givingUp())
            break;
        FtpSettings there = settings;
        there.dir = directory.first;
        removeInDirectory(there, ask, directory.second, confirm, givingUp);
    }
    return results;
}

void SentFileRemover::forgetGone(const std::vector<Result>& results)
{
    SentFiles::forget([&](const SentFileRecord& listed) {
        for (const Result& result : results)
            if ((result.outcome == Outcome::removed || result.outcome == Outcome::alreadyGone ||
                 result.outcome == Outcome::changedOnServer) &&
                result.record.sameFile(listed))
                return true;
        return false;
    });
}

// A refused name leaves the others to go on; a failed connection fails
// what is left in the directory with it.
void SentFileRemover::removeInDirectory(const FtpSettings& settings, const RemoteFolder::Questions& ask,
                                        std::vector<Result*>& results, const Confirm& confirm,
                                        const std::function<bool()>& givingUp)
{
    std::unique_ptr<RemoteFolder> folder;
    size_t next = 0;
    try {
        folder = RemoteFolder::enter(settings, ask);
        NameListing listing = folder->listNames();
        for (; next < results.size() && !givingUp(); ++next) {
            try {
                results[next]->outcome = removeOne(*folder, listing, results[next]->record, confirm);
            } catch (const Poco::Exception& e) {
                if (RemoteFolder::connectionFailed(settings.protocol, e))
                    throw;
                results[next]->outcome = Outcome::failed;
                results[next]->failure = std::current_exception();
            }
        }
        folder->leave();
    } catch (const Poco::Exception&) {
        for (; next < results.size(); ++next) {
            results[next]->outcome = Outcome::failed;
            results[next]->failure = std::current_exception();
        }
        if (folder)
            folder->leave();
    }
}

// Some servers list no dot names, so a name missing from the listing is
// gone only when the server knows no size for it either. A file is the one
// sent when its size is as recorded and its time, where the server tells
// it, too; one the server cannot confirm so goes only when confirmed.
SentFileRemover::Outcome SentFileRemover::removeOne(RemoteFolder& folder, const NameListing& listing,
                                                    const SentFileRecord& record, const Confirm& confirm)
{
    std::string name;
    if (!folder.nameEncoding().encode(record.name, name))
        throw Poco::IOException("", Problem::fileNameNotEncodable);
    int64_t size = folder.storedSize(name);
    if (!listing.contains(name) && size < 0)
        return Outcome::alreadyGone;
    if (size >= 0 && size != record.size)
        return Outcome::changedOnServer;
    int64_t time = folder.storedTime(name);
    if (time >= 0 && record.serverTime >= 0 && time != record.serverTime)
        return Outcome::changedOnServer;
    bool confirmed = size >= 0 && (time < 0 || record.serverTime >= 0);
    if (!confirmed && !confirm(record))
        return Outcome::unconfirmed;
    folder.remove(name);
    return Outcome::removed;
}

bool SentFileRemover::isSafe(const SentFileRecord& record)
{
    static const std::wstring lineBreakOrNul(L"\r\n\0", 3);
    static const std::wstring notInName(L"\r\n\0/\\", 5);
    return record.dir.find_first_of(lineBreakOrNul) == std::wstring::npos && !record.name.empty() &&
           record.name != L"." && record.name != L".." && record.name.find_first_of(notInName) == std::wstring::npos;
}

}
