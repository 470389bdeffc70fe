// Lines in the host's log, through "WTW/Log". Calls may come from any thread.
#pragma once

#include "plugin/HostInterface.h"

namespace Vornix {

// Every line the plug-in writes has this level and source.
constexpr int logLevel = 1;
constexpr const wchar_t* logSource = L"FTP";

// The host whose log logToHost writes to; null stops logging. Set by pluginLoad.
void setLogHost(HostFunctionTable* host);

// Writes one line to the host's log. The format is msvcrt's wide printf (%ls
// takes a wide string, %hs an 8-bit one, %p gives eight upper-case hex
// digits); the line is cut after 2047 characters. Does nothing while no host
// is set.
void logToHost(int level, const wchar_t* source, const wchar_t* format, ...);

// For the catch (...) of a handler the host called: the user is not told, so
// the host's log gets "where: " and the text of the exception being handled.
// Call only while an exception is handled; throws nothing.
void logCaughtException(const wchar_t* where);

}
