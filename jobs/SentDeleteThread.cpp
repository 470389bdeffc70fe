#include "jobs/SentDeleteThread.h"

#include "jobs/SentFileRemover.h"
#include "remote/FtpSettings.h"
#include "ui/ErrorReport.h"
#include "ui/SentFilesSummary.h"
#include "ui/SentFilesWindow.h"
#include "ui/TrustQuestions.h"

#include <exception>

namespace Vornix {

namespace {

typedef SentFileRemover::Outcome Outcome;

// A line for each file that did not simply go.
void report(const std::vector<SentFileRemover::Result>& results)
{
    std::vector<std::wstring> lines;
    size_t removed = 0;
    bool anyStays = false;
    for (const SentFileRemover::Result& result : results) {
        const std::wstring& name = result.record.name;
        switch (result.outcome) {
        case Outcome::removed:
            ++removed;
            continue;
        case Outcome::alreadyGone:
            lines.push_back(SentFilesSummary::alreadyGone(name));
            continue;
        case Outcome::changedOnServer:
            lines.push_back(SentFilesSummary::changedOnServer(name));
            continue;
        case Outcome::unconfirmed:
            lines.push_back(SentFilesSummary::unconfirmed(name));
            break;
        case Outcome::onOtherServer:
            lines.push_back(SentFilesSummary::onOtherServer(name, result.record.server));
            break;
        case Outcome::failed:
            lines.push_back(SentFilesSummary::failed(name, result.failure));
            break;
        case Outcome::notReached:
            break;
        }
        anyStays = true;
    }
    if (!lines.empty())
        SentFilesSummary::show(removed, results.size(), lines, anyStays);
}

}

SentDeleteThread::SentDeleteThread(const std::vector<SentFileRecord>& records) : records(records)
{
    startThread();
}

DWORD SentDeleteThread::threadMain()
{
    try {
        run();
    } catch (...) {
        if (!messengerClosing())
            ErrorReport::show(std::current_exception(), ErrorReport::Caption::plain);
    }
    SentFilesWindow::listChanged(true);
    return 0;
}

void SentDeleteThread::run()
{
    FtpSettings settings = FtpSettings::read();
    std::vector<SentFileRemover::Result> results =
        SentFileRemover::removeAll(settings, TrustQuestions::inBoxes(), records,
                                   [this](const SentFileRecord& record) {
                                       return !mustGiveUp() && SentFilesSummary::confirmRemoval(record.name);
                                   },
                                   [this] { return mustGiveUp(); });
    SentFileRemover::forgetGone(results);
    if (!messengerClosing())
        report(results);
}

}
