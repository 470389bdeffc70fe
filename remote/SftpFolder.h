// The remote folder over SFTP, with libssh2: a bounded connect, a handshake
// with modern algorithms only, the host key settled before anything of the
// login is sent, then the password (as such, or once as the answer to a
// keyboard-interactive prompt that asks for it) or a private key, the whole
// login bounded and given up when the user does, and the configured
// directory (the login's own when empty). Names travel in UTF-8.
#pragma once

#include "remote/HostKeyTrust.h"
#include "remote/RemoteFolder.h"
#include "remote/SshSocketBuffer.h"

#include <Poco/Net/StreamSocket.h>

#include <libssh2.h>
#include <libssh2_sftp.h>

#include <chrono>
#include <functional>
#include <vector>

class SftpFolder : public RemoteFolder {
public:
    // Throws TimeoutException when the server does not answer in time, a
    // NetException when it cannot be reached, SftpException when it refuses
    // the login, the key or the directory, asks at login for more than the
    // password (Problem::loginPromptUnexpected) or the user refuses its host
    // key, IOException when the key file cannot be read or is in a format
    // that does not work. `givenUp`, when given, is asked while the login
    // waits; a yes ends it with an SftpException.
    SftpFolder(const FtpSettings& settings, const HostKeyTrust& trust, const Progress& reached,
               const std::function<bool()>& givenUp);
    ~SftpFolder() override;
    SftpFolder(const SftpFolder&) = delete;
    SftpFolder& operator=(const SftpFolder&) = delete;

    // A lost or stalled connection: SFTP's refusals are SftpException, what
    // befell the socket a NetException, a stalled server a TimeoutException.
    static bool connectionFailed(const Poco::Exception& failure);

    const NameEncoding& nameEncoding() const override { return encoding; }
    NameListing listNames() override;
    void beginUpload(const std::string& name) override;
    int64_t resumeUpload(const std::string& name, int64_t held) override;
    int64_t storedSize(const std::string& name) override;
    int64_t storedTime(const std::string& name) override;
    char* room(size_t size) override;
    void commit(size_t size) override;
    bool finishUpload(const std::function<bool()>& givingUp) override;
    void abandonUpload() override;
    void remove(const std::string& name) override;
    void leave() override;

    // Bytes of a file kept on their way: libssh2 returns from a write at
    // each acknowledgement, and what is still unacknowledged is passed
    // again in front of new data, so the pipeline never drains mid-file.
    static const size_t inFlight = size_t(1024) * 1024;

    // New bytes handed to libssh2 at once, and the least a full pipeline
    // waits to have acknowledged: the socket calls come once per batch.
    static const size_t batch = size_t(256) * 1024;

private:
    void handshake(const HostKeyTrust& trust);
    void logIn(const FtpSettings& settings);
    void logInWithPassword(const std::string& user, const std::string& password);
    void logInWithKey(const std::string& user, const std::wstring& keyFile, const std::string& passphrase);
    // Repeats a non-blocking libssh2 call until it is done, within the
    // login's deadline, and returns its code.
    int untilDone(const std::function<int()>& call);
    void enter(const std::wstring& dir);
    void openUpload(const std::string& name, unsigned long flags);
    void startSending();
    void closeUnsent();
    // Of the name itself, not of what a link points to; false when there is
    // no such name.
    bool readAttributes(const std::string& name, LIBSSH2_SFTP_ATTRIBUTES& attributes);
    void requireHeldFile(const LIBSSH2_SFTP_ATTRIBUTES& attributes, int64_t held, const std::string& name);
    void requireSession() const;
    bool pump();
    void awaitProgress();
    void checkSocket(int code);
    void stopBuffering();
    [[noreturn]] void fail(int code, const std::string& what);
    [[noreturn]] void failUpload(int code);
    void close();
    int readNames(LIBSSH2_SFTP_HANDLE* handle, NameListing& listing);

    Poco::Net::StreamSocket socket;
    SshSocketBuffer transport;  // buffering from beginUpload until the file is closed
    LIBSSH2_SESSION* session = nullptr;
    LIBSSH2_SFTP* sftp = nullptr;
    LIBSSH2_SFTP_HANDLE* file = nullptr;
    std::string folder;  // "" for the login's own directory, else ending in "/"
    std::string uploadPath;
    std::vector<char> block;  // [start, used) is on its way, unacknowledged
    size_t start = 0;
    size_t used = 0;
    size_t offered = 0;  // block's end when libssh2 last had it
    bool connectionLost = false;
    std::function<bool()> givenUp;
    std::chrono::steady_clock::time_point loginDeadline;
    NameEncoding encoding{true};
};
