// The plug-in's one global record. Fields are written by pluginLoad before any
// job exists and only read afterwards, so it needs no lock.
#pragma once

#include "plugin/HostInterface.h"

struct OptionsPageControls;
namespace Vornix {
class ThreadManager;
}

struct PluginState {
    HostFunctionTable* host;
    HINSTANCE moduleHandle;
    OptionsPageControls* optionsControls;  // null while the options page has no windows
    Vornix::ThreadManager* threadManager;  // owned
    HostHandle menuRebuildHook;
    HostHandle compatSendFunction;  // 0 when another plug-in provides "wtwSkarvelin/sendFile"
};

extern PluginState pluginState;
