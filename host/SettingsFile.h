// One plug-in's configuration file: typed values (integer or text) by key.
// The file is UTF-16 with one value a line; backslash, tab, CR and LF inside keys
// and texts are escaped, so every text reads back exactly as it was set.
// Not thread-safe: SettingsService serialises all use.
#pragma once

#include <windows.h>

#include <map>
#include <string>

class SettingsFile {
public:
    struct Value {
        bool isText;
        INT32 integer;
        std::wstring text;
    };

    explicit SettingsFile(const std::wstring& path);

    // Replaces the values by the file's; values set since the last save stay.
    // False when the file is missing or unreadable (the values are then only the unsaved ones).
    bool load();
    // Writes a temporary file and moves it over the old one, so a failed or
    // interrupted write leaves the previous file whole.
    bool save();

    const Value* find(const std::wstring& key) const;
    void set(const std::wstring& key, const Value& value);

private:
    bool parse(const std::wstring& content, std::map<std::wstring, Value>* parsed) const;
    std::wstring serialise() const;

    std::wstring path;
    std::map<std::wstring, Value> values;
    std::map<std::wstring, Value> unsaved;
};
