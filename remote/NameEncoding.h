// How names and paths travel on one FTP session: in UTF-8 when the server
// says in its FEAT reply that it speaks it, else in the system's ANSI code
// page, as servers without UTF-8 have always been sent them. Names listed by
// the server are never re-encoded: they go back as the bytes they came as.
#pragma once

#include <string>

class NameEncoding {
public:
    explicit NameEncoding(bool utf8 = false) : utf8(utf8) {}

    // Whether a FEAT reply lists UTF8 among its features.
    static bool announcesUtf8(const std::string& featReply);

    bool isUtf8() const { return utf8; }

    // False when this encoding cannot carry every character of `text`.
    bool encode(const std::wstring& text, std::string& out) const;

    // A name as the server stores it, for showing. A UTF-8 server may still
    // hold names stored in the code page by older clients.
    std::wstring decode(const std::string& name) const;

private:
    bool utf8;
};
