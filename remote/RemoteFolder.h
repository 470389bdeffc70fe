// The configured folder on the user's server, entered over FTP or SFTP: the
// jobs list it, store a file in it and remove names from it without knowing
// which protocol carries them. Failures throw POCO's kinds with the server's
// words: FTPException or SftpException when the server refuses, a
// NetException when the connection fails, TimeoutException when it stalls.
#pragma once

#include "remote/CertificateTrust.h"
#include "remote/FtpSettings.h"
#include "remote/HostKeyTrust.h"
#include "remote/NameEncoding.h"
#include "remote/NameListing.h"

#include <Poco/Exception.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class RemoteFolder {
public:
    // How the user is asked about a certificate or a host key, and whether
    // the user gave up meanwhile (asked while a login waits; may be empty).
    struct Questions {
        CertificateTrust::Question certificate;
        HostKeyTrust::Question hostKey;
        std::function<bool()> givenUp;
    };

    // How far entering got: connected (with TLS or the host key settled),
    // logged in, in the folder.
    enum class Stage { connected, loggedIn, entered };
    typedef std::function<void(Stage)> Progress;

    // Connects over the settings' protocol, logs in and enters the folder,
    // telling `reached` (when given) of each stage.
    static std::unique_ptr<RemoteFolder> enter(const FtpSettings& settings, const Questions& ask,
                                               const Progress& reached = nullptr);

    virtual ~RemoteFolder() = default;

    // How names travel to and from this server.
    virtual const NameEncoding& nameEncoding() const = 0;

    // The folder's names, read whole.
    virtual NameListing listNames() = 0;

    // Whether `failure`, thrown by entering or using a folder of `protocol`,
    // is of the connection (refused, cut or stalled) rather than a refusal of
    // the server or the user: a later session may succeed. Each protocol
    // tells its own.
    static bool connectionFailed(Protocol protocol, const Poco::Exception& failure);

    // Starts a new file `name`; once it returns, the server has made the file
    // for this upload (FTP's 150 or 125, SFTP's exclusive open). Then room and commit give it the file's bytes
    // in order: room offers space for the next `size` bytes (at most
    // maxChunk), commit sends what was filled in, as the connection takes it.
    // When either fails, the upload is over and what the server stored of
    // it is removed, unless the connection failed: then it stays for a new
    // session's resumeUpload or remove.
    virtual void beginUpload(const std::string& name) = 0;

    // Takes up the upload of `name`, which an earlier session of this job
    // created and of which the server holds `held` bytes (the caller has
    // checked both), and returns where the bytes go on: `held`, or 0 where
    // the server cannot continue a file and gets it anew over its partial
    // one. The file is never made here: one that went meanwhile fails.
    virtual int64_t resumeUpload(const std::string& name, int64_t held) = 0;

    // The size of the regular file `name` on the server, or -1 when the
    // server does not tell (no such file, or something other than a file).
    virtual int64_t storedSize(const std::string& name) = 0;
    // When `name` was last changed, in seconds since 1970, or -1 when the
    // server does not tell.
    virtual int64_t storedTime(const std::string& name) = 0;
    virtual char* room(size_t size) = 0;
    virtual void commit(size_t size) = 0;

    // Sends the rest and waits until the server has stored the file; until
    // then the user may still take it back, and `givingUp` is asked now and
    // then. Returns false when it says yes; the upload is then still open
    // for abandonUpload.
    virtual bool finishUpload(const std::function<bool()>& givingUp) = 0;

    // Ends an upload that is given up or failed and removes what the server
    // stored of it. Throws when the removal fails.
    virtual void abandonUpload() = 0;

    virtual void remove(const std::string& name) = 0;

    // Says goodbye, ignoring any failure.
    virtual void leave() = 0;

    static const size_t maxChunk = 65536;
};
