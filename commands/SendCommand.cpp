#include "commands/SendCommand.h"

#include "jobs/FtpSendThread.h"
#include "jobs/ThreadManager.h"
#include "plugin/HostLog.h"
#include "plugin/PluginState.h"

namespace {

void startUpload(PluginState* state, const ContactRecord* contact, const wchar_t* path)
{
    if (!state || !state->threadManager)
        return;
    state->threadManager->startJob(new Vornix::FtpSendThread(state->host, contact, state->moduleHandle, path));
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
