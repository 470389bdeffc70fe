// A server's plain name listing (NLST), read whole: lines of any length, ended
// by LF or CR LF (or by CR alone when the listing holds no LF at all). A
// listing without end must not take the messenger's memory, so it is bounded.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

class NameListing {
public:
    // Far above any real directory (a hundred thousand names take a few MB),
    // and small enough that a 32-bit messenger can spare what they take.
    static const size_t maxBytes = size_t(32) * 1024 * 1024;
    static const size_t maxNames = 1000000;

    // Throws std::length_error once the listing passes either bound, and
    // what the stream's connection throws when it fails before the end.
    static NameListing read(std::istream& listing);

    // Names in listing order; none is empty or holds a CR or LF.
    const std::vector<std::string>& names() const { return listedNames; }
    // Lines that held a CR or LF inside the name: never sent back to the server.
    const std::vector<std::string>& unsafeNames() const { return rejectedNames; }

    // A name from a listing that gives names one by one (SFTP), taken as it
    // is. Throws std::length_error once there are more than maxNames, or
    // the names with a line end each pass maxBytes.
    void addName(const std::string& name);

    bool contains(const std::string& name) const;

    // The name to store a file under without overwriting a listed one: the
    // name itself, or the decimal time, "_" and the name, where the time is
    // `now` or the first later second whose prefixed name is not listed.
    std::string freeNameFor(const std::string& name, int64_t now) const;

    static bool hasLineBreak(const std::string& text);

private:
    void add(std::string line);

    std::vector<std::string> listedNames;
    std::vector<std::string> rejectedNames;
    size_t namesBytes = 0;
};
