// OpenSSL is linked into the plug-in, so it must not outlive it. Left to
// itself it registers its cleanup in the process's exit table, which the
// messenger runs long after our image is gone: a crash at every exit. It is
// started without that registration when the plug-in loads, and cleaned up
// when the plug-in unloads. libssh2, which uses it for SFTP, is started and
// ended with it, so that two jobs never start it at once.
#pragma once

namespace TlsLibrary {

// Before anything else of OpenSSL runs. When OpenSSL cannot start, TLS
// sessions fail later with OpenSSL's own error.
void start();

// Frees all OpenSSL holds. Only once no thread of ours can use it any more:
// OpenSSL cannot start again in this image afterwards.
void stop();

// Frees what a thread that used OpenSSL holds of it (its error queue);
// called as the thread ends.
void releaseThread();

}
