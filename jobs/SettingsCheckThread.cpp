#include "jobs/SettingsCheckThread.h"

#include "jobs/LinkText.h"
#include "plugin/TextConversion.h"
#include "remote/HttpFetch.h"
#include "remote/RemoteFolder.h"
#include "ui/TrustQuestions.h"

#include <cstring>
#include <ctime>

namespace Vornix {

namespace {

// A dot-name, which delete-all keeps, and one that its link carries as it is.
std::string probeName(int64_t time)
{
    return ".vornix.test." + std::to_string(time) + ".txt";
}

}

SettingsCheckThread::SettingsCheckThread(const FtpSettings::Values& values, const std::wstring& webAddress,
                                         const std::shared_ptr<CheckControl>& control)
    : values(values), webAddress(webAddress), control(control)
{
    abortPressed = std::shared_ptr<const std::atomic<bool>>(control, &control->cancelled);
    startThread();
}

DWORD SettingsCheckThread::threadMain()
{
    try {
        run();
    } catch (...) {
        // Each step keeps its own failure; this is what none expected.
        report.steps[CheckReport::connect].reached = true;
        report.steps[CheckReport::connect].failure = std::current_exception();
    }
    try {
        if (!mustGiveUp())
            CheckReport::show(report);
        HWND page = control->notify.exchange(nullptr);
        if (page)
            PostMessageW(page, CheckControl::endedMessage, 0, 0);
    } catch (...) {
    }
    return 0;
}

void SettingsCheckThread::run()
{
    std::unique_ptr<RemoteFolder> folder = enter();
    if (!folder)
        return;
    if (mustGiveUp()) {
        folder->leave();
        return;
    }
    std::string name = probeName(_time64(nullptr));
    std::string content = "Vornix: plik do sprawdzenia ustawien, " + name + "\r\n";
    report.probeName = TextConversion::readable(name);
    if (storeProbe(*folder, name, content)) {
        if (!mustGiveUp())
            fetchProbe(name, content);
        removeProbe(*folder, name);
    }
    folder->leave();
}

// Each stage the folder reaches marks its step done and the next one begun.
std::unique_ptr<RemoteFolder> SettingsCheckThread::enter()
{
    report.steps[CheckReport::connect].reached = true;
    try {
        FtpSettings settings = FtpSettings::from(values);
        auto reached = [this](RemoteFolder::Stage stage) {
            int done = static_cast<int>(stage);
            report.steps[done].ok = true;
            if (done < CheckReport::enterDirectory)
                report.steps[done + 1].reached = true;
        };
        return RemoteFolder::enter(settings, TrustQuestions::inBoxes([this] { return mustGiveUp(); }), reached);
    } catch (...) {
        for (int step = CheckReport::enterDirectory; step >= CheckReport::connect; --step) {
            if (report.steps[step].reached) {
                report.steps[step].failure = std::current_exception();
                break;
            }
        }
        return nullptr;
    }
}

// A store that fails leaves nothing behind: the folder removes it.
bool SettingsCheckThread::storeProbe(RemoteFolder& folder, const std::string& name, const std::string& content)
{
    CheckReport::Outcome& outcome = report.steps[CheckReport::storeProbe];
    outcome.reached = true;
    try {
        folder.beginUpload(name);
        std::memcpy(folder.room(content.size()), content.data(), content.size());
        folder.commit(content.size());
        if (!folder.finishUpload([this] { return mustGiveUp(); })) {
            folder.abandonUpload();
            return false;
        }
        outcome.ok = true;
        return true;
    } catch (...) {
        outcome.failure = std::current_exception();
        return false;
    }
}

void SettingsCheckThread::fetchProbe(const std::string& name, const std::string& content)
{
    CheckReport::Outcome& outcome = report.steps[CheckReport::fetchLink];
    outcome.reached = true;
    if (webAddress.empty())
        return;
    report.link = LinkText::linkFor(webAddress, name);
    try {
        HttpFetch::Response response =
            HttpFetch::get(TextConversion::toUtf8(report.link), content.size() + 1, [this] { return mustGiveUp(); });
        report.webStatus = response.status;
        report.webReason = response.reason;
        report.contentDiffers = response.status == 200 && response.body != content;
        outcome.ok = response.status == 200 && !report.contentDiffers;
    } catch (...) {
        outcome.failure = std::current_exception();
    }
}

void SettingsCheckThread::removeProbe(RemoteFolder& folder, const std::string& name)
{
    CheckReport::Outcome& outcome = report.steps[CheckReport::removeProbe];
    outcome.reached = true;
    try {
        folder.remove(name);
        outcome.ok = true;
    } catch (...) {
        outcome.failure = std::current_exception();
    }
}

}
