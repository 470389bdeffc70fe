#include "host/Host.h"

#include "host/ScriptedCommands.h"
#include "host/Text.h"

#include <commctrl.h>

namespace {

const DWORD idleCheckMs = 100;
const int quietChecksNeeded = 2;

bool createDirectories(const std::wstring& path)
{
    if (CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t parent = path.find_last_of(L"\\/");
    return parent != std::wstring::npos && parent > 2 && createDirectories(path.substr(0, parent)) &&
           CreateDirectoryW(path.c_str(), nullptr);
}

// IsDialogMessageW gives modeless dialogs (and the options window) their keyboard.
bool wantsDialogKeys(HWND root)
{
    wchar_t name[32] = L"";
    GetClassNameW(root, name, 32);
    return wcscmp(name, L"#32770") == 0 || wcscmp(name, L"VornixHostOptions") == 0;
}

}

Host::Host(const CommandLine& commandLine, HINSTANCE instance)
    : commandLine(commandLine), instance(instance), forPeople(commandLine.command == L"gui"), registry(transcript),
      contacts(commandLine.contacts), settings(registry, commandLine.profileDir),
      log(registry, transcript, commandLine.profileDir + L"\\vornix-host.log"), menus(registry), options(registry),
      conversations(registry, transcript, contacts), mainWindow(instance, contacts, menus, options)
{
}

int Host::run()
{
    if (!createProfile())
        return 1;
    // Plug-ins rely on the messenger having registered the common controls (progress bars).
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!loadPlugin())
        return 1;
    if (commandLine.typing && contacts.size() > 0)
        typingBox = mainWindow.startTyping(contacts.at(0).name());
    int status = runCommand();
    if (forPeople)
        pump(INFINITE);  // until the main window closes
    else
        waitUntilIdle();
    if (typingBox)
        reportFocus();
    shutDown();
    return status;
}

bool Host::createProfile()
{
    if (createDirectories(commandLine.profileDir))
        return true;
    transcript.note(L"cannot create the profile folder " + commandLine.profileDir);
    return false;
}

// The hooks and the dialog watcher start before pluginLoad: a plug-in may open
// a window or a message box as it loads.
bool Host::loadPlugin()
{
    std::wstring error;
    if (!plugin.load(commandLine.pluginPath, &error)) {
        transcript.note(error);
        return false;
    }
    const PluginInfo* info = plugin.info();
    if (!info || info->size < sizeof(PluginInfo)) {
        transcript.note(L"queryPlugInfo gave no information record");
        return false;
    }
    mainWindow.create(forPeople);
    pluginWindows = std::make_unique<PluginWindows>(transcript, plugin.module());
    pluginWindows->start();
    if (forPeople) {
        conversations.setListener([this](const ConversationService::Message& message) { mainWindow.post(message); });
    } else {
        DialogWatcher::Answers answers = {commandLine.fileDialogEntries(), commandLine.answerYes,
            commandLine.abortAt, commandLine.abortOn, commandLine.timeoutSeconds};
        watcher = std::make_unique<DialogWatcher>(transcript, plugin.module(), answers);
        watcher->start();
    }
    int result = plugin.start(registry.table());
    if (result != 0) {
        transcript.note(L"pluginLoad returned " + std::to_wstring(result));
        return false;
    }
    return true;
}

int Host::runCommand()
{
    if (forPeople)
        return 0;
    ScriptedCommands::Parts parts = {
        transcript, registry, menus, options, contacts, plugin, instance, mainWindow.handle()};
    return ScriptedCommands(commandLine, parts).run();
}

void Host::waitUntilIdle()
{
    DWORD started = GetTickCount();
    DWORD limit = commandLine.unloadAfterSeconds * 1000;
    int quietChecks = 0;
    while (quietChecks < quietChecksNeeded && pump(idleCheckMs)) {
        if (limit && GetTickCount() - started >= limit)
            return;
        quietChecks = idle() ? quietChecks + 1 : 0;
    }
}

// No thread of the plug-in runs (its jobs and its cleaner end with their work)
// and no message box or file dialog waits for an answer.
bool Host::idle() const
{
    return plugin.runningThreads() == 0 && !DialogWatcher::foreignDialogOpen(plugin.module());
}

// Dispatches messages for the given time; false once WM_QUIT arrives.
bool Host::pump(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return false;
            HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
            if (root && wantsDialogKeys(root) && IsDialogMessageW(root, &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        DWORD elapsed = GetTickCount() - start;
        if (milliseconds != INFINITE && elapsed >= milliseconds)
            return true;
        DWORD wait = milliseconds == INFINITE ? INFINITE : milliseconds - elapsed;
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// Where the keys a person goes on typing would go now.
void Host::reportFocus()
{
    HWND focus = GetFocus();
    if (focus == typingBox) {
        transcript.line(L"focus: the conversation's typing box");
    } else if (!focus) {
        transcript.line(L"focus: no window");
    } else {
        transcript.line(L"focus: " + Text::windowClass(focus) + L" \"" + Text::windowText(focus) + L"\" in \"" +
                        Text::windowText(GetAncestor(focus, GA_ROOT)) + L"\"");
    }
}

// Windows the plug-in leaves open are reported, then destroyed after its
// unload but before its code goes away.
void Host::shutDown()
{
    pluginWindows->reportOpenAndStop();
    mainWindow.closeOptions();
    plugin.stop();
    pluginWindows->destroyRemaining();
    plugin.release();
    if (watcher)
        watcher->stop();
}
