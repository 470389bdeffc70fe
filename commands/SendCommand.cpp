#include "commands/SendCommand.h"

#include "jobs/FtpSendThread.h"
#include "jobs/ThreadManager.h"
#include "plugin/HostLog.h"
#include "plugin/PluginState.h"
#include "ui/FileChoice.h"
#include "ui/HostWindow.h"
#include "ui/Texts.h"

#include <cwchar>
#include <string>
#include <vector>

namespace {

const size_t maxPathLength = 32767;  // characters, as Windows' own limit

// The given path, or the user's choice (one file or several) when `given` is
// null. Any path Windows can open is taken; only one past the longest path
// Windows itself handles is refused.
bool settlePaths(const wchar_t* given, HINSTANCE module, std::vector<std::wstring>& paths)
{
    HWND owner = HostWindow::find();
    if (!given)
        return FileChoice::askForFiles(owner, module, paths);
    size_t length = wcsnlen(given, maxPathLength + 1);
    if (length > maxPathLength) {
        MessageBoxW(owner, Texts::pathTooLong, L"Vornix - I/O Error", MB_ICONERROR);
        return false;
    }
    paths.assign(1, std::wstring(given, length));
    return true;
}

void startUpload(PluginState* state, const ContactRecord* contact, const wchar_t* given)
{
    std::vector<std::wstring> paths;
    if (!state || !state->threadManager || !settlePaths(given, state->moduleHandle, paths))
        return;
    state->threadManager->startJob(new Vornix::FtpSendThread(state->host, contact, state->moduleHandle, paths));
}

}

INT_PTR __cdecl SendCommand::onMenuCommand(WPARAM, LPARAM lParam, void* userData)
{
    auto command = reinterpret_cast<const MenuCommandInfo*>(lParam);
    if (!command || !command->contact)
        return 0;
    try {
        startUpload(static_cast<PluginState*>(userData), command->contact, nullptr);
    } catch (...) {
        Vornix::logCaughtException(L"Vornix/sendFile");
    }
    return 0;
}

INT_PTR __cdecl SendCommand::onCompatSendFile(WPARAM wParam, LPARAM, void* userData)
{
    auto request = reinterpret_cast<const SendFileRequest*>(wParam);
    if (!request)
        return -1;
    ContactRecord contact = {};
    contact.size = sizeof(contact);
    contact.id = request->contactId;
    contact.netClass = request->netClass;
    contact.netId = request->netId;
    try {
        startUpload(static_cast<PluginState*>(userData), &contact, request->path);
    } catch (...) {
        Vornix::logCaughtException(L"wtwSkarvelin/sendFile");
    }
    return 0;
}
