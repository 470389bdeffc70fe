// The settings of an FTP session, read afresh for every run and checked
// before anything is sent: a CR or LF would let a setting inject commands.
// The user name, password and directory stay in the host's UTF-16 until the
// session knows how the server wants them.
#pragma once

#include "remote/ServerAddress.h"

#include <string>

// The stored values of SettingKeys::tls.
enum class TlsMode { WhenOffered = 0, Required = 1, Off = 2 };

// The stored values of SettingKeys::protocol.
enum class Protocol { Ftp = 0, Sftp = 1 };

struct FtpSettings {
    Protocol protocol = Protocol::Ftp;
    ServerAddress server;  // without a port, 21 for FTP and 22 for SFTP
    TlsMode tls = TlsMode::WhenOffered;
    std::wstring username;
    std::wstring password;
    std::wstring dir;
    std::wstring keyFile;  // SFTP only; then the password is its passphrase

    // Throws Poco::Net::FTPException with a message for the user when the
    // server is empty or malformed, or any setting holds a line break.
    static FtpSettings read();

    // The stored choice; a value the options page never stores counts as
    // never saved, which is WhenOffered.
    static TlsMode readTlsMode();
};
