// The remote folder over FTP, plain or with explicit TLS: an FtpSession that
// has entered the configured directory.
#pragma once

#include "remote/CertificateTrust.h"
#include "remote/FtpSession.h"
#include "remote/RemoteFolder.h"
#include "remote/UploadStream.h"

#include <memory>

class FtpFolder : public RemoteFolder {
public:
    // Connects, logs in and enters the directory: FtpSession's constructor,
    // startTls, logIn and enterDirectory, with what they throw.
    FtpFolder(const FtpSettings& settings, const CertificateTrust& trust, const Progress& reached);

    // FTP's 421, 425 and 426 and no reply at all, a cut or refused
    // connection and a timeout; not a refused certificate.
    static bool connectionFailed(const Poco::Exception& failure);

    const NameEncoding& nameEncoding() const override { return session.nameEncoding(); }
    NameListing listNames() override { return session.listNames(); }
    void beginUpload(const std::string& name) override;
    int64_t resumeUpload(const std::string& name, int64_t held) override;
    int64_t storedSize(const std::string& name) override { return session.fileSize(name); }
    int64_t storedTime(const std::string& name) override { return session.modificationTime(name); }
    char* room(size_t size) override;
    void commit(size_t size) override;
    bool finishUpload(const std::function<bool()>& givingUp) override;
    void abandonUpload() override;
    void remove(const std::string& name) override { session.remove(name); }
    void leave() override { session.quit(); }

private:
    [[noreturn]] void abandonBrokenUpload();
    template <typename Send>
    void sending(Send send);

    FtpSession session;
    std::unique_ptr<UploadStream> upload;
    std::string uploadName;
    bool broken = false;
};
