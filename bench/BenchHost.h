// The in-memory host of the benchmark programs (the unit tests' recording
// host) configured for one FTP or SFTP server, and message boxes answered at
// once: a job's box would otherwise hold its thread, and the benchmark,
// forever.
#pragma once

#include "bench/BenchClock.h"
#include "plugin/PluginState.h"
#include "plugin/SettingsStore.h"
#include "remote/FtpSettings.h"
#include "tests/RecordingHost.h"
#include "tests/jobs/ImportHook.h"

#include <string>

namespace Bench {

inline void configure(RecordingHost& host, const char* server, const char* user, const char* password,
                      const char* dir)
{
    host.texts[SettingKeys::ftpHost] = widen(server);
    host.texts[SettingKeys::username] = widen(user);
    host.texts[SettingKeys::password] = widen(password);
    host.texts[SettingKeys::dir] = widen(dir);
    host.texts[SettingKeys::httpHost] = L"http://127.0.0.1/pliki";
    host.integers[SettingKeys::linksOnlyShown] = 1;  // no network function needed
    host.integers[SettingKeys::autoClose] = 1;
    host.integers[SettingKeys::tls] = static_cast<int>(TlsMode::Off);
}

// SFTP to server's port 22, with hostKey ("ssh-ed25519 SHA256:...") trusted
// as the user's answer to the first-use question would.
inline void useSftp(RecordingHost& host, const char* server, const char* hostKey)
{
    host.integers[SettingKeys::protocol] = static_cast<int>(Protocol::Sftp);
    host.texts[std::wstring(SettingKeys::hostKeyPrefix) + widen(server) + L":22"] = widen(hostKey);
}

// For programs that link the jobs directly: the host as pluginLoad would set it.
inline void plugIn(RecordingHost& host)
{
    pluginState.host = &host.table;
    pluginState.moduleHandle = GetModuleHandleW(nullptr);
    SettingsStore::openSettings();
}

// Every MessageBoxA/W of this program (the job code is linked in) returns
// IDYES at once; the text of the last one is kept.
class BoxAnswers {
public:
    BoxAnswers()
        : a("user32.dll", "MessageBoxA", reinterpret_cast<void*>(&boxA)),
          w("user32.dll", "MessageBoxW", reinterpret_cast<void*>(&boxW))
    {
    }
    static std::string lastText() { return *last(); }
    static int count() { return *counter(); }
    static double lastTime() { return *lastAt(); }

private:
    static std::string* last()
    {
        static std::string text;
        return &text;
    }
    static int* counter()
    {
        static int n = 0;
        return &n;
    }
    static double* lastAt()
    {
        static double t = 0;
        return &t;
    }
    static void note(const std::string& text)
    {
        *lastAt() = seconds();
        *last() = text;
        ++*counter();
    }
    static int WINAPI boxA(HWND, LPCSTR text, LPCSTR, UINT)
    {
        note(text ? text : "");
        return IDYES;
    }
    static int WINAPI boxW(HWND, LPCWSTR text, LPCWSTR, UINT)
    {
        std::string narrow;
        for (const wchar_t* p = text; p && *p; ++p)
            narrow += *p < 128 ? static_cast<char>(*p) : '?';
        note(narrow);
        return IDYES;
    }
    ImportHook a;
    ImportHook w;
};

}
