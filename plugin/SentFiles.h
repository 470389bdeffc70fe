// The list of files the plug-in sent, kept in a file of its own beside its
// configuration file ("Vornix.sent.txt" beside "Vornix.cfg"): a header line,
// then one SentFileRecord line per file, oldest first. Every change rewrites
// the file through a temporary one that replaces it whole, so a failed write
// leaves the previous list. A damaged file, or one past maxFileBytes, is
// moved aside ("Vornix.sent.damaged-TIME.txt"), the host's log says so, and
// the list starts afresh. Calls may come from several threads at once.
#pragma once

#include "plugin/SentFileRecord.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class SentFiles {
public:
    static constexpr const char* header = "Vornix sent files 1";
    // Tens of thousands of records; a larger file is taken as damaged.
    static const size_t maxFileBytes = size_t(16) * 1024 * 1024;

    // Oldest first; empty while the settings are closed or nothing was sent.
    static std::vector<SentFileRecord> all();
    // False when the list could not be read or written; it is then as before.
    static bool add(const SentFileRecord& record);
    // Drops the records `which` picks; false as for add.
    static bool forget(const std::function<bool(const SentFileRecord&)>& which);

    // Empty while the settings are closed.
    static std::wstring path();

    // After how many days the expiry removes sent files: the stored
    // SettingKeys::expireDays from 1 to maxExpireDays, else 0, never.
    static int32_t expireDays();
    static constexpr int32_t maxExpireDays = 9999;
};
