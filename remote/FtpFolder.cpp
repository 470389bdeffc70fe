#include "remote/FtpFolder.h"

#include <Poco/Exception.h>
#include <Poco/Net/NetException.h>
#include <Poco/Net/SSLException.h>

#include <exception>

FtpFolder::FtpFolder(const FtpSettings& settings, const CertificateTrust& trust, const Progress& reached)
    : session(settings.server)
{
    session.startTls(settings.tls, trust);
    if (reached)
        reached(Stage::connected);
    session.logIn(settings);
    if (reached)
        reached(Stage::loggedIn);
    session.enterDirectory(settings.dir);
    if (reached)
        reached(Stage::entered);
}

// The status 0 is POCO's for no reply at all; a full disk or a refused name
// are other replies. TLS fails on a cut connection in OpenSSL's words, so
// only a refused certificate counts as a refusal.
bool FtpFolder::connectionFailed(const Poco::Exception& failure)
{
    if (dynamic_cast<const Poco::TimeoutException*>(&failure))
        return true;
    if (auto reply = dynamic_cast<const Poco::Net::FTPException*>(&failure))
        return reply->code() == 0 || reply->code() == 421 || reply->code() == 425 || reply->code() == 426;
    if (dynamic_cast<const Poco::Net::CertificateValidationException*>(&failure) ||
        dynamic_cast<const Poco::Net::InvalidCertificateException*>(&failure))
        return false;
    return dynamic_cast<const Poco::Net::NetException*>(&failure) != nullptr;
}

void FtpFolder::beginUpload(const std::string& name)
{
    upload.reset(new UploadStream(session.beginUpload(name)));
    uploadName = name;
    broken = false;
}

int64_t FtpFolder::resumeUpload(const std::string& name, int64_t held)
{
    int64_t offset = held;
    upload.reset(new UploadStream(session.continueUpload(name, offset)));
    uploadName = name;
    broken = false;
    return offset;
}

char* FtpFolder::room(size_t size)
{
    char* free = nullptr;
    sending([&] { free = upload->room(size); });
    return free;
}

void FtpFolder::commit(size_t size)
{
    sending([&] { upload->commit(size); });
}

bool FtpFolder::finishUpload(const std::function<bool()>& givingUp)
{
    sending([&] { upload->flush(); });
    upload.reset();
    return session.endUploadPatiently(givingUp);
}

// After an abort the partly stored file goes, even when the server took the
// end of the transfer badly. Data already handed to the socket would reach
// the server after a plain close, so the connection is reset.
void FtpFolder::abandonUpload()
{
    upload.reset();
    if (!broken) {
        try {
            session.endUploadAbruptly();
        } catch (const Poco::Exception&) {
        }
    }
    session.remove(uploadName);
}

// A send that fails ends the upload: its data connection is gone.
template <typename Send>
void FtpFolder::sending(Send send)
{
    try {
        send();
    } catch (const Poco::Exception&) {
        abandonBrokenUpload();
    }
}

// Deletes what was stored of a file whose data connection failed, unless
// the connection is what failed: then a new session may take the file up.
// The server's own reply to the broken transfer is the most telling error.
void FtpFolder::abandonBrokenUpload()
{
    broken = true;
    upload.reset();
    std::exception_ptr failure;
    try {
        session.endUpload();
    } catch (const Poco::Exception& e) {
        if (connectionFailed(e))
            throw;
        failure = std::current_exception();
    } catch (...) {
        failure = std::current_exception();
    }
    // A server that calls the cut transfer complete: the send itself failed.
    if (!failure)
        throw Poco::Net::NetException("Socket send error", 0);
    try {
        session.remove(uploadName);
    } catch (const Poco::Exception&) {
    }
    std::rethrow_exception(failure);
}
