// One run of the stand-in messenger: its services, the plug-in, the command and
// the end of the run. After a scripted command the message loop goes on until
// the plug-in has no job left and no dialog waits for an answer.
#pragma once

#include "host/CommandLine.h"
#include "host/ContactList.h"
#include "host/ConversationService.h"
#include "host/DialogWatcher.h"
#include "host/FunctionRegistry.h"
#include "host/LogService.h"
#include "host/MainWindow.h"
#include "host/MenuService.h"
#include "host/OptionsService.h"
#include "host/PluginModule.h"
#include "host/PluginWindows.h"
#include "host/SettingsService.h"
#include "host/Transcript.h"

#include <memory>

class Host {
public:
    Host(const CommandLine& commandLine, HINSTANCE instance);

    // The exit status: 0 done, 1 the plug-in or the command failed.
    int run();

private:
    bool createProfile();
    bool loadPlugin();
    int runCommand();
    void waitUntilIdle();
    bool idle() const;
    bool pump(DWORD milliseconds);
    void reportFocus();
    void shutDown();

    const CommandLine& commandLine;
    HINSTANCE instance;
    bool forPeople;
    Transcript transcript;
    FunctionRegistry registry;
    ContactList contacts;
    SettingsService settings;
    LogService log;
    MenuService menus;
    OptionsService options;
    ConversationService conversations;
    PluginModule plugin;
    MainWindow mainWindow;
    std::unique_ptr<PluginWindows> pluginWindows;
    std::unique_ptr<DialogWatcher> watcher;
    HWND typingBox = nullptr;
};
