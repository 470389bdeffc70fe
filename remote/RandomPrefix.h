// A prefix for a stored name that nobody can guess, so that a listable or
// guessable web folder does not give away what was sent.
#pragma once

#include <string>

class RandomPrefix {
public:
    static const size_t length = 10;

    // `length` characters of [a-z0-9], each drawn evenly from Windows'
    // cryptographic generator. Throws Poco::SystemException when Windows
    // gives no random bytes.
    static std::string make();
};
