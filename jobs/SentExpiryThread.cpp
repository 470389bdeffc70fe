#include "jobs/SentExpiryThread.h"

#include "jobs/SentFileRemover.h"
#include "plugin/HostLog.h"
#include "plugin/SentFiles.h"
#include "ui/ErrorReport.h"
#include "ui/SentFilesWindow.h"

#include <ctime>

namespace Vornix {

namespace {

typedef SentFileRemover::Outcome Outcome;

const int64_t secondsPerDay = 86400;

// No one is asked: an unknown certificate or host key is refused.
RemoteFolder::Questions refuseEverything()
{
    return {[](const CertificateQuestion&) { return false; }, [](const HostKeyQuestion&) { return false; }, nullptr};
}

void log(const SentFileRemover::Result& result)
{
    const wchar_t* name = result.record.name.c_str();
    switch (result.outcome) {
    case Outcome::removed:
        logToHost(logLevel, logSource, L"expiry: removed %ls from the server", name);
        break;
    case Outcome::alreadyGone:
        logToHost(logLevel, logSource, L"expiry: %ls was no longer on the server", name);
        break;
    case Outcome::changedOnServer:
        logToHost(logLevel, logSource, L"expiry: %ls on the server is another file now (its size or time differs); "
                                       L"it stays there", name);
        break;
    case Outcome::unconfirmed:
        logToHost(logLevel, logSource, L"expiry: the server cannot confirm that %ls is the file sent (it tells no "
                                       L"size or time); it stays there", name);
        break;
    case Outcome::failed:
        logToHost(logLevel, logSource, L"expiry: %ls could not be removed, to be tried again at the next run: %ls",
                  name, ErrorReport::textOf(result.failure).c_str());
        break;
    case Outcome::onOtherServer:
    case Outcome::notReached:
        break;
    }
}

}

SentExpiryThread::SentExpiryThread()
{
    startThread();
}

std::vector<SentFileRecord> SentExpiryThread::expired(const std::vector<SentFileRecord>& records,
                                                      const FtpSettings& settings, int days, int64_t now)
{
    std::vector<SentFileRecord> due;
    std::wstring server = settings.serverName();
    for (const SentFileRecord& record : records)
        if (record.protocol == static_cast<int>(settings.protocol) && record.server == server &&
            record.sentAt <= now - days * secondsPerDay)
            due.push_back(record);
    return due;
}

DWORD SentExpiryThread::threadMain()
{
    try {
        run(SentFiles::expireDays());
    } catch (...) {
        logToHost(logLevel, logSource, L"expiry: to be tried again at the next run: %ls",
                  ErrorReport::textOf(std::current_exception()).c_str());
    }
    return 0;
}

void SentExpiryThread::run(int days)
{
    if (days <= 0)
        return;
    FtpSettings settings = FtpSettings::read();
    std::vector<SentFileRecord> due = expired(SentFiles::all(), settings, days, _time64(nullptr));
    if (due.empty())
        return;
    std::vector<SentFileRemover::Result> results =
        SentFileRemover::removeAll(settings, refuseEverything(), due, [](const SentFileRecord&) { return false; },
                                   [this] { return mustGiveUp(); });
    for (const SentFileRemover::Result& result : results)
        log(result);
    SentFileRemover::forgetGone(results);
    SentFilesWindow::listChanged(false);
}

}
