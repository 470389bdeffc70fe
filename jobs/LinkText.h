// The web link to an uploaded file.
#pragma once

#include <string>
#include <vector>

namespace LinkText {

// Digits, ASCII letters and ~ ! * ( ) ' . stay; every other byte becomes
// "%" and two upper-case hex digits ("a b-c_d.txt" -> "a%20b%2Dc%5Fd.txt").
std::string urlEncode(const std::string& name);

// The prefix, a "/" unless it already ends in "/" or "\", and the encoded name.
std::wstring linkFor(const std::wstring& prefix, const std::string& remoteName);

// The links to the names, in their order, with CR LF between them.
std::wstring linesFor(const std::wstring& prefix, const std::vector<std::string>& remoteNames);

}
