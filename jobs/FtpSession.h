// An FTP session whose connect and welcome are bounded by its timeout too:
// POCO's own host-and-port constructor connects without any time limit.
#pragma once

#include "ServerAddress.h"

#include <Poco/Net/FTPClientSession.h>
#include <Poco/Timespan.h>

class FtpSession : public Poco::Net::FTPClientSession {
public:
    static const Poco::Timespan timeout;  // 5 seconds

    // Throws Poco::TimeoutException when the server does not accept or greet
    // in time, FTPException when it greets with a refusal, NetException when
    // the address cannot be reached or resolved.
    explicit FtpSession(const ServerAddress& address);
};
