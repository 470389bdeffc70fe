// The settings of an FTP session, read afresh for every run and checked
// before anything is sent: a CR or LF would let a setting inject commands.
// The user name, password and directory stay in the host's UTF-16 until the
// session knows how the server wants them.
#pragma once

#include "remote/ServerAddress.h"

#include <string>

// The stored values of SettingKeys::tls. Implicit speaks TLS from the
// connect on, before the welcome, on port 990 by default.
enum class TlsMode { WhenOffered = 0, Required = 1, Off = 2, Implicit = 3 };

// The stored values of SettingKeys::protocol.
enum class Protocol { Ftp = 0, Sftp = 1 };

struct FtpSettings {
    Protocol protocol = Protocol::Ftp;
    ServerAddress server;  // without a port, 21 for FTP (990 for implicit TLS) and 22 for SFTP
    TlsMode tls = TlsMode::WhenOffered;
    std::wstring username;
    std::wstring password;
    std::wstring dir;
    std::wstring keyFile;  // SFTP only; then the password is its passphrase

    // The settings as the options page holds them, saved or not.
    struct Values {
        std::wstring host;
        std::wstring username;
        std::wstring password;
        std::wstring dir;
        std::wstring keyFile;
        Protocol protocol = Protocol::Ftp;
        TlsMode tls = TlsMode::WhenOffered;
    };

    // The stored settings. Throws Poco::Net::FTPException with a Problem
    // code when the server is empty or malformed, any setting holds a line
    // break, or the stored password cannot be unprotected.
    static FtpSettings read();
    // The same checks on values not (yet) stored.
    static FtpSettings from(const Values& values);

    // "host:port", as the lists of trusted servers and of sent files name it.
    std::wstring serverName() const;

    // The stored choice; a value the options page never stores counts as
    // never saved, which is WhenOffered.
    static TlsMode readTlsMode();

private:
    static uint16_t defaultPort(const FtpSettings& settings);
};
