#include "plugin/SentFiles.h"

#include "plugin/HostLog.h"
#include "plugin/SettingsStore.h"

#include <windows.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>

namespace {

std::mutex fileLock;

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};

std::wstring beside(const std::wstring& suffix)
{
    std::wstring config = SettingsStore::configFilePath();
    size_t dot = config.find_last_of(L'.');
    size_t slash = config.find_last_of(L"\\/");
    if (config.empty())
        return std::wstring();
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash))
        config.erase(dot);
    return config + suffix;
}

enum class Read { whole, unreadable, tooLarge };

Read readWhole(const std::wstring& path, std::string& content)
{
    FILE* opened = nullptr;
    if (_wfopen_s(&opened, path.c_str(), L"rb") != 0 || !opened)
        return Read::unreadable;
    std::unique_ptr<FILE, FileCloser> file(opened);
    char buffer[65536];
    size_t read;
    while ((read = fread(buffer, 1, sizeof(buffer), opened)) > 0) {
        if (read > SentFiles::maxFileBytes - content.size())
            return Read::tooLarge;
        content.append(buffer, read);
    }
    return ferror(opened) ? Read::unreadable : Read::whole;
}

bool parse(const std::string& content, std::vector<SentFileRecord>& records)
{
    size_t start = 0;
    bool headerSeen = false;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!headerSeen) {
            if (line != SentFiles::header)
                return false;
            headerSeen = true;
            continue;
        }
        if (line.empty())
            continue;
        SentFileRecord record;
        if (!SentFileRecord::fromLine(line, record))
            return false;
        records.push_back(record);
    }
    return headerSeen;
}

void setAside(const std::wstring& path)
{
    std::wstring aside = beside(L".sent.damaged-" + std::to_wstring(_time64(nullptr)) + L".txt");
    if (MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING))
        Vornix::logToHost(Vornix::logLevel, Vornix::logSource,
                          L"the list of sent files was damaged; it is kept as %ls and a new list begins",
                          aside.c_str());
    else
        Vornix::logToHost(Vornix::logLevel, Vornix::logSource,
                          L"the list of sent files was damaged and cannot be moved aside (error %lu)",
                          GetLastError());
}

// False when the file is there but cannot be read, or is damaged and stays
// where it is: writing over it would lose it.
bool load(const std::wstring& path, std::vector<SentFileRecord>& records)
{
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    std::string content;
    Read read = readWhole(path, content);
    if (read == Read::unreadable)
        return false;
    if (read == Read::whole && parse(content, records))
        return true;
    records.clear();
    setAside(path);
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool save(const std::wstring& path, const std::vector<SentFileRecord>& records)
{
    std::string content = std::string(SentFiles::header) + "\r\n";
    for (const SentFileRecord& record : records)
        content += record.toLine() + "\r\n";
    std::wstring temporary = path + L".new";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool whole = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                 written == content.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (whole && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

}

std::wstring SentFiles::path()
{
    return beside(L".sent.txt");
}

std::vector<SentFileRecord> SentFiles::all()
{
    std::lock_guard<std::mutex> lock(fileLock);
    std::vector<SentFileRecord> records;
    std::wstring file = path();
    if (!file.empty())
        load(file, records);
    return records;
}

bool SentFiles::add(const SentFileRecord& record)
{
    std::lock_guard<std::mutex> lock(fileLock);
    std::vector<SentFileRecord> records;
    std::wstring file = path();
    if (file.empty() || !load(file, records))
        return false;
    records.push_back(record);
    return save(file, records);
}

bool SentFiles::forget(const std::function<bool(const SentFileRecord&)>& which)
{
    std::lock_guard<std::mutex> lock(fileLock);
    std::vector<SentFileRecord> records;
    std::wstring file = path();
    if (file.empty() || !load(file, records))
        return false;
    std::vector<SentFileRecord> kept;
    for (const SentFileRecord& record : records)
        if (!which(record))
            kept.push_back(record);
    return kept.size() == records.size() || save(file, kept);
}

int32_t SentFiles::expireDays()
{
    int32_t days = SettingsStore::readInt(SettingKeys::expireDays).value;
    return days > 0 && days <= maxExpireDays ? days : 0;
}
