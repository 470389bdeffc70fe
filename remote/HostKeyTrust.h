// Whether an SSH server's host key may carry this session: trust on first
// use, as OpenSSH and PuTTY do it. The key the user accepted for a
// "host:port" is kept in the settings; any other key is asked about before
// anything of the login is sent, and a changed key is said to be changed.
#pragma once

#include "remote/ServerAddress.h"

#include <functional>
#include <string>

// What the user is asked about: a host key not yet known for this server,
// or one other than the key accepted for it before.
struct HostKeyQuestion {
    const std::wstring& server;  // "host:port"
    const std::string& keyType;
    const std::string& fingerprint;
    bool changed;
};

class HostKeyTrust {
public:
    // Asks the user and gives the answer: true for yes.
    typedef std::function<bool(const HostKeyQuestion& question)> Question;

    HostKeyTrust(const ServerAddress& server, Question ask);

    // Returns normally when the key may be used, keeping it when the user
    // accepted it now. Throws SftpException with Problem::hostKeyRefused
    // when the user refuses it.
    // `keyType` as SSH names it ("ssh-ed25519"); `fingerprint` as OpenSSH
    // shows it ("SHA256:...").
    void approve(const std::string& keyType, const std::string& fingerprint) const;

    // The type of the key accepted for this server ("ssh-ed25519"), or ""
    // when none is: asked for first, a server that offers another type too
    // shows the key the user knows, as OpenSSH does.
    std::string knownKeyType() const;

    // "SHA256:" and the unpadded base64 of a 32-byte SHA-256 hash.
    static std::string fingerprint(const unsigned char* sha256);

private:
    std::wstring serverName;  // "host:port"
    std::wstring keySetting;
    Question ask;
};
