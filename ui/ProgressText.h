// The texts of the progress window: sizes, speeds and the time remaining.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ProgressText {

// "4.00KB", "1.50MB", "2.00GB"; 1024 bytes or less unscaled with two
// significant digits ("42B").
std::string formatSize(float bytes);

// hh:mm:ss, each field at least two digits ("01:02:05", "100:00:00").
std::string formatRemaining(int64_t seconds);

// "0B/52341B": the first progress text, before anything is sent.
std::string formatStart(int64_t totalBytes);

// The window's caption for file `number` of `count`: the name, and when more
// than one file goes, which of them ("b.txt (plik 2 z 3)").
std::wstring caption(const std::wstring& remoteName, size_t number, size_t count);

// While the upload waits to connect again: "Wznawianie wysyłania (próba 2 z 4)…".
std::wstring resuming(int attempt, int attempts);

}
