#include "remote/TlsLibrary.h"

#include <libssh2.h>
#include <openssl/crypto.h>

namespace TlsLibrary {

void start()
{
    OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
    libssh2_init(0);
}

void stop()
{
    libssh2_exit();
    OPENSSL_cleanup();
}

void releaseThread()
{
    OPENSSL_thread_stop();
}

}
