#include "remote/RemoteFolder.h"

#include "remote/FtpFolder.h"
#include "remote/SftpException.h"
#include "remote/SftpFolder.h"

#include <Poco/Net/NetException.h>
#include <Poco/Net/SSLException.h>

std::unique_ptr<RemoteFolder> RemoteFolder::enter(const FtpSettings& settings, const Questions& ask,
                                                  const Progress& reached)
{
    if (settings.protocol == Protocol::Sftp)
        return std::unique_ptr<RemoteFolder>(
            new SftpFolder(settings, HostKeyTrust(settings.server, ask.hostKey), reached, ask.givenUp));
    return std::unique_ptr<RemoteFolder>(
        new FtpFolder(settings, CertificateTrust(settings.server, ask.certificate), reached));
}

// FTP's 421, 425 and 426 say the connection went (a cut data connection gets
// 426), and POCO's status 0 is no reply at all; a full disk or a refused name
// are other replies. TLS fails on a cut connection in OpenSSL's words, so
// only a refused certificate counts as a refusal.
bool RemoteFolder::connectionFailed(const Poco::Exception& failure)
{
    if (dynamic_cast<const Poco::TimeoutException*>(&failure))
        return true;
    if (auto reply = dynamic_cast<const Poco::Net::FTPException*>(&failure))
        return reply->code() == 0 || reply->code() == 421 || reply->code() == 425 || reply->code() == 426;
    if (dynamic_cast<const SftpException*>(&failure) ||
        dynamic_cast<const Poco::Net::CertificateValidationException*>(&failure) ||
        dynamic_cast<const Poco::Net::InvalidCertificateException*>(&failure))
        return false;
    return dynamic_cast<const Poco::Net::NetException*>(&failure) != nullptr;
}
