#include "remote/SftpException.h"

#include <typeinfo>

POCO_IMPLEMENT_EXCEPTION(SftpException, Poco::Net::NetException, "SFTP Exception")
