// Takes files the plug-in sent off the server, for the list's "Usuń z
// serwera" and for the expiry: one session per directory, and a name is
// removed only while it still holds the file that was sent (its size, and
// its time where the server tells, as recorded). A file the server cannot
// confirm so goes only when `confirm` says so.
#pragma once

#include "plugin/SentFileRecord.h"
#include "remote/FtpSettings.h"
#include "remote/RemoteFolder.h"

#include <exception>
#include <functional>
#include <vector>

namespace Vornix {

class SentFileRemover {
public:
    enum class Outcome {
        removed,
        alreadyGone,      // no such name on the server any more
        changedOnServer,  // the name holds another file now; it stays
        unconfirmed,      // the server cannot confirm it is the file sent, and `confirm` said no; it stays
        onOtherServer,    // not on the server the settings name: no login for it
        failed,           // `failure` says why
        notReached,       // the job had to give up first
    };
    struct Result {
        SentFileRecord record;
        Outcome outcome;
        std::exception_ptr failure;
    };

    // Whether to remove a file whose size, or time, the server does not tell.
    typedef std::function<bool(const SentFileRecord&)> Confirm;

    // One result for each record, in their order.
    static std::vector<Result> removeAll(const FtpSettings& settings, const RemoteFolder::Questions& ask,
                                         const std::vector<SentFileRecord>& records, const Confirm& confirm,
                                         const std::function<bool()>& givingUp);

    // Drops from the list of sent files the records whose file is no longer
    // on the server as it was sent: removed, gone, or another file now.
    static void forgetGone(const std::vector<Result>& results);

private:
    static void removeInDirectory(const FtpSettings& settings, const RemoteFolder::Questions& ask,
                                  std::vector<Result*>& results, const Confirm& confirm,
                                  const std::function<bool()>& givingUp);
    static Outcome removeOne(RemoteFolder& folder, const NameListing& listing, const SentFileRecord& record,
                             const Confirm& confirm);
    // Whether the record's directory and name are fit to send: no line
    // break or NUL, and a name without a path.
    static bool isSafe(const SentFileRecord& record);
};

}
