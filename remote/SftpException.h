// What an SFTP server or its SSH layer refused, in its words or libssh2's,
// as FTPException is for FTP.
#pragma once

#include <Poco/Net/NetException.h>

// cppcheck-suppress syntaxError ; POCO's macro takes an empty export name
POCO_DECLARE_EXCEPTION(, SftpException, Poco::Net::NetException)
