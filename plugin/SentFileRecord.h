// One file the plug-in stored on a server, as the list of sent files keeps
// it, and its line in the record file: UTF-8, its fields separated by tabs,
// with backslash, tab, CR and LF inside a field written as \\, \t, \r, \n.
#pragma once

#include <cstdint>
#include <string>

struct SentFileRecord {
    int64_t sentAt = 0;      // seconds since 1970, UTC
    int protocol = 0;        // as SettingKeys::protocol: 0 FTP, 1 SFTP
    std::wstring server;     // "host:port"
    std::wstring dir;        // the directory setting when it was sent
    std::wstring name;       // the name on the server
    std::wstring localPath;
    int64_t size = 0;
    int64_t serverTime = -1;  // the server's modification time, seconds since 1970; -1 when it did not tell
    std::wstring contact;
    std::wstring link;

    // Whether both stand for one file stored once: the same place and name,
    // sent at the same second.
    bool sameFile(const SentFileRecord& other) const;
    // Whether it lies on that server, in that directory.
    bool isIn(int protocol, const std::wstring& server, const std::wstring& dir) const;

    std::string toLine() const;
    // False when the line is not one record (fields missing or too many, a
    // number or an escape malformed, not UTF-8); `record` is then unset.
    static bool fromLine(const std::string& line, SentFileRecord& record);
};
