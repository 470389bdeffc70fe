#include "jobs/TlsLibrary.h"

#include <openssl/crypto.h>

namespace TlsLibrary {

void start()
{
    OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
}

void stop()
{
    OPENSSL_cleanup();
}

void releaseThread()
{
    OPENSSL_thread_stop();
}

}
