// The plug-in's settings, kept by the host's settings service in the
// plug-in's own configuration file. One handle serves the whole load.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace SettingKeys {
constexpr const wchar_t* ftpHost = L"cfg/Vornix/ftpHost";
constexpr const wchar_t* username = L"cfg/Vornix/username";
constexpr const wchar_t* password = L"cfg/Vornix/password";
constexpr const wchar_t* dir = L"cfg/Vornix/dir";
constexpr const wchar_t* httpHost = L"cfg/Vornix/httpHost";
// The two check boxes, read with readFlag. The first keeps the name saved
// configuration files already hold, though ticked means links are not sent.
constexpr const wchar_t* linksOnlyShown = L"cfg/Vornix/sendLink";  // links are shown, not sent to the contact
constexpr const wchar_t* autoClose = L"cfg/Vornix/autoClose";      // the progress window closes after an upload
// A check box off by default, read with readOptIn: the links also go to the clipboard.
constexpr const wchar_t* copyLink = L"cfg/Vornix/copyLink";
// A check box off by default, read with readOptIn: stored names begin with a
// random prefix, so that nobody guesses a link.
constexpr const wchar_t* randomPrefix = L"cfg/Vornix/randomPrefix";
// A check box on by default, read with readFlag: each link is fetched before
// it goes to the contact.
constexpr const wchar_t* verifyLink = L"cfg/Vornix/verifyLink";
// An integer: 0 (also when never saved) TLS when the server offers it, 1 TLS
// required, 2 no TLS, 3 implicit TLS (from the connect on).
constexpr const wchar_t* tls = L"cfg/Vornix/tls";
// Followed by "host:port": the SHA-256 fingerprint of the certificate the
// user chose to trust for that server.
constexpr const wchar_t* certificatePinPrefix = L"cfg/Vornix/certificatePin/";
// Followed by "host:port": 1 once a session to that server completed TLS.
constexpr const wchar_t* tlsDonePrefix = L"cfg/Vornix/tlsDone/";
// An integer: 0 (also when never saved) FTP, 1 SFTP.
constexpr const wchar_t* protocol = L"cfg/Vornix/protocol";
// SFTP's private key file; when empty the password logs in, else it is the key's passphrase.
constexpr const wchar_t* keyFile = L"cfg/Vornix/keyFile";
// Followed by "host:port": the SSH host key the user trusts there, as
// its type, a space and its SHA-256 fingerprint ("ssh-ed25519 SHA256:...").
constexpr const wchar_t* hostKeyPrefix = L"cfg/Vornix/hostKey/";
// An integer: files sent more than this many days ago are removed from the
// server; 0 (also when never saved) never.
constexpr const wchar_t* expireDays = L"cfg/Vornix/expireDays";
}

struct SettingRead {
    bool found;
    int32_t value;  // 0 when not found
};

// Reads give the defaults ("" and not found) and writes store nothing while
// the store is closed. Calls may come from the host's thread and from job
// threads at once; closing waits for calls under way, so a handle given back
// to the host is never used again.
class SettingsStore {
public:
    static void openSettings();
    static void closeSettings();
    // The configuration file the host named at openSettings; empty before
    // or when it named none. Files of the plug-in's own lie beside it.
    static std::wstring configFilePath();

    static std::wstring readString(const wchar_t* key);
    // The text in the system's ANSI code page, cut at a character boundary to
    // at most 255 bytes.
    static std::string readNarrowString(const wchar_t* key);
    static SettingRead readInt(const wchar_t* key);
    // A check box's setting: true unless stored as 0, so true too when it was
    // never saved or the store is closed.
    static bool readFlag(const wchar_t* key);
    // A check box off by default: true only when stored as other than 0.
    static bool readOptIn(const wchar_t* key);
    static void writeString(const wchar_t* key, const std::wstring& text);
    static void writeInt(const wchar_t* key, int32_t value);

    static constexpr size_t textCapacity = 4096;      // characters, with the terminator
    static constexpr size_t narrowCapacity = 256;     // bytes, with the terminator
};
