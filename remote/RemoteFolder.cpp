#include "remote/RemoteFolder.h"

#include "remote/FtpFolder.h"
#include "remote/SftpFolder.h"

std::unique_ptr<RemoteFolder> RemoteFolder::enter(const FtpSettings& settings, const Questions& ask,
                                                  const Progress& reached)
{
    if (settings.protocol == Protocol::Sftp)
        return std::unique_ptr<RemoteFolder>(
            new SftpFolder(settings, HostKeyTrust(settings.server, ask.hostKey), reached, ask.givenUp));
    return std::unique_ptr<RemoteFolder>(
        new FtpFolder(settings, CertificateTrust(settings.server, ask.certificate), reached));
}

bool RemoteFolder::connectionFailed(Protocol protocol, const Poco::Exception& failure)
{
    if (protocol == Protocol::Sftp)
        return SftpFolder::connectionFailed(failure);
    return FtpFolder::connectionFailed(failure);
}
