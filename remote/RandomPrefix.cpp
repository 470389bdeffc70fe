#include "remote/RandomPrefix.h"

#include <Poco/Exception.h>

#include <windows.h>
#include <wincrypt.h>

namespace {

const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
const unsigned alphabetSize = sizeof(alphabet) - 1;
// Bytes at or above this would favour the first characters.
const unsigned evenLimit = 256 - 256 % alphabetSize;

class RandomSource {
public:
    RandomSource()
    {
        if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
            throw Poco::SystemException("CryptAcquireContext failed", static_cast<int>(GetLastError()));
    }
    ~RandomSource() { CryptReleaseContext(provider, 0); }
    RandomSource(const RandomSource&) = delete;
    RandomSource& operator=(const RandomSource&) = delete;

    void fill(BYTE* bytes, DWORD count)
    {
        if (!CryptGenRandom(provider, count, bytes))
            throw Poco::SystemException("CryptGenRandom failed", static_cast<int>(GetLastError()));
    }

private:
    HCRYPTPROV provider = 0;
};

}

std::string RandomPrefix::make()
{
    RandomSource source;
    std::string prefix;
    BYTE bytes[32];
    while (prefix.size() < length) {
        source.fill(bytes, sizeof(bytes));
        for (BYTE byte : bytes) {
            if (byte < evenLimit && prefix.size() < length)
                prefix += alphabet[byte % alphabetSize];
        }
    }
    return prefix;
}
