// How long a server may keep the plug-in waiting, for FTP, SFTP and the
// check's web fetch alike.
#pragma once

#include <Poco/Timespan.h>

namespace Timeouts {

// Any connect, read or write: past it the session counts as stalled.
inline const Poco::Timespan session(5, 0);

// A login: servers delay a refused password on purpose (Pure-FTPd answers a
// wrong one after about 9 s).
inline const Poco::Timespan login(30, 0);

}
