#include "commands/Lifecycle.h"

#include "commands/CheckCommand.h"
#include "commands/DeleteAllCommand.h"
#include "commands/SendCommand.h"
#include "commands/SentFilesCommand.h"
#include "jobs/ThreadManager.h"
#include "plugin/HostLog.h"
#include "plugin/PluginInfo.h"
#include "plugin/PluginState.h"
#include "plugin/SettingsStore.h"
#include "plugin/StoredPassword.h"
#include "remote/TlsLibrary.h"
#include "ui/OptionsPage.h"
#include "ui/ProgressWindow.h"
#include "ui/SentFilesWindow.h"
#include "ui/Texts.h"

namespace Lifecycle {

namespace {

const wchar_t* const compatSendFunctionName = L"wtwSkarvelin/sendFile";
const wchar_t* const sendItemId = L"Vornix/sendFile";
const wchar_t* const sendMenuId = L"WTW/Menu/Contact/Send";
const wchar_t* const deleteAllItemId = L"Vornix/delAll";
const wchar_t* const mainOptionsMenuId = L"WTW/Menu/Main/Opt";
const wchar_t* const sentFilesItemId = L"Vornix/sentFiles";

INT_PTR callHost(const wchar_t* name, WPARAM wParam, LPARAM lParam)
{
    return pluginState.host->callFunction(name, wParam, lParam);
}

void addOptionsPage()
{
    OptionsPageInfo page = {};
    page.size = sizeof(page);
    page.id = pluginInfo.guid;
    page.group = L"WTW/Group/Plugz";
    page.caption = Texts::optionsPageCaption;
    page.handler = OptionsPage::onOptionsPageEvent;
    page.userData = &pluginState;
    callHost(L"WTW/AddOptionsPage", reinterpret_cast<WPARAM>(pluginState.moduleHandle),
             reinterpret_cast<LPARAM>(&page));
}

struct MenuEntry {
    const wchar_t* itemId;
    const wchar_t* menuId;
    const wchar_t* caption;
    HostHandler handler;
};

// In the order they are added and removed.
const MenuEntry menuEntries[] = {
    {sendItemId, sendMenuId, Texts::sendMenuItem, SendCommand::onMenuCommand},
    {deleteAllItemId, mainOptionsMenuId, Texts::deleteAllMenuItem, DeleteAllCommand::onMenuCommand},
    {sentFilesItemId, mainOptionsMenuId, Texts::sentFilesMenuItem, SentFilesCommand::onMenuCommand},
};

void addMenuItems()
{
    for (const MenuEntry& entry : menuEntries) {
        MenuItemInfo item = {};
        item.size = sizeof(item);
        item.itemId = entry.itemId;
        item.menuId = entry.menuId;
        item.caption = entry.caption;
        item.handler = entry.handler;
        item.userData = &pluginState;
        callHost(L"WTW/Menu/Add", reinterpret_cast<WPARAM>(&item), 0);
    }
}

void removeMenuItems()
{
    for (const MenuEntry& entry : menuEntries) {
        MenuItemInfo item = {};
        item.size = sizeof(item);
        item.itemId = entry.itemId;
        item.menuId = entry.menuId;
        callHost(L"WTW/Menu/Remove", reinterpret_cast<WPARAM>(&item), 0);
    }
}

void createCompatSendFunction()
{
    if (pluginState.host->functionExists(compatSendFunctionName))
        return;
    pluginState.compatSendFunction =
        pluginState.host->createFunction(compatSendFunctionName, SendCommand::onCompatSendFile, &pluginState);
}

}

int load(HostFunctionTable* host)
{
    if (!host)
        return 0;
    try {
        pluginState.host = host;
        TlsLibrary::start();
        pluginState.threadManager = new Vornix::ThreadManager();
        Vornix::setLogHost(host);
        OptionsPage::setCheckStarter(CheckCommand::start);
        SentFilesWindow::setRemovalStarter(SentFilesCommand::startRemoval);
        addOptionsPage();
        SettingsStore::openSettings();
        addMenuItems();
        pluginState.menuRebuildHook = host->hookEvent(L"WTW/OnMenuRebuild", onMenuRebuild, nullptr);
        createCompatSendFunction();
        SentFilesCommand::startExpiry();
        // A password an earlier version stored in plain text is plain no longer.
        if (!StoredPassword::protectPlain())
            Vornix::logToHost(Vornix::logLevel, Vornix::logSource,
                              L"the password an earlier version stored cannot be protected here; it stays as it was");
    } catch (...) {
        Vornix::logCaughtException(L"pluginLoad");
    }
    return 0;
}

int unload()
{
    if (!pluginState.host)
        return 0;
    try {
        SentFilesCommand::stopExpiry();
        SentFilesWindow::close();
        if (pluginState.compatSendFunction)
            pluginState.host->destroyFunction(pluginState.compatSendFunction);
        pluginState.compatSendFunction = nullptr;
        callHost(L"WTW/RemoveOptionsPage", reinterpret_cast<WPARAM>(pluginState.moduleHandle),
                 reinterpret_cast<LPARAM>(pluginInfo.guid));
        SettingsStore::closeSettings();
        removeMenuItems();
        if (pluginState.menuRebuildHook)
            pluginState.host->unhookEvent(pluginState.menuRebuildHook);
        pluginState.menuRebuildHook = nullptr;
        OptionsPage::destroyControls(pluginState.optionsControls);
        pluginState.optionsControls = nullptr;
        bool jobsEnded = Vornix::ThreadManager::teardown(pluginState.threadManager);
        pluginState.threadManager = nullptr;
        // A job that outlives the unload still holds OpenSSL; it stays as it is.
        if (jobsEnded)
            TlsLibrary::stop();
        // Jobs have stopped (or hold the code pinned); their windows go before the dialog procedure does.
        ProgressWindow::closeAll();
    } catch (...) {
        Vornix::logCaughtException(L"pluginUnload");
    }
    return 0;
}

INT_PTR __cdecl onMenuRebuild(WPARAM wParam, LPARAM, void*)
{
    auto event = reinterpret_cast<const MenuRebuildEvent*>(wParam);
    if (event && event->addItem)
        event->addItem(event->menuHandle, sendItemId);
    return 0;
}

}
