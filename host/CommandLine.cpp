#include "host/CommandLine.h"

#include <algorithm>

namespace {

CommandLine::UsageError usageError(const std::wstring& message)
{
    return CommandLine::UsageError{message};
}

bool isCheckBoxKey(const std::wstring& key)
{
    return key == L"sendLink" || key == L"autoClose" || key == L"copyLink" || key == L"randomPrefix" ||
           key == L"verifyLink";
}

}

CommandLine::CommandLine(const std::vector<std::wstring>& arguments, const std::wstring& hostDir)
    : pluginPath(hostDir + L"\\Vornix.dll"), profileDir(hostDir + L"\\profile"), answerYes(false),
      abortAt(-1), timeoutSeconds(120), unloadAfterSeconds(0), runs(1), cancelCheckAfterMs(0), forgetContact(false), typing(false)
{
    for (size_t index = 0; index < arguments.size(); ++index) {
        if (arguments[index].compare(0, 2, L"--") == 0)
            index = option(arguments, index);
        else if (command.empty())
            command = arguments[index];
        else
            commandArguments.push_back(arguments[index]);
    }
    if (contacts.empty())
        contacts.push_back(contact(L"XY/1/alice"));
    checkCommand();
}

std::wstring CommandLine::windowsPath(const std::wstring& path)
{
    if (path.empty() || path[0] != L'/')
        return path;
    std::wstring result = L"Z:" + path;
    std::replace(result.begin(), result.end(), L'/', L'\\');
    return result;
}

const std::vector<std::wstring>& CommandLine::optionKeys()
{
    static const std::vector<std::wstring> keys = {
        L"ftpHost",  L"username",  L"password", L"dir",          L"httpHost",   L"keyFile", L"expireDays",
        L"sendLink", L"autoClose", L"copyLink", L"randomPrefix", L"verifyLink", L"tls",     L"protocol"};
    return keys;
}

const wchar_t* CommandLine::usage()
{
    return L"usage: vornix-host.exe [options] command\n"
           L"options: --plugin PATH  --profile DIR  --contact CLASS/NUMBER/ID (repeatable)\n"
           L"         --file PATH (repeatable)  --answer yes|no  --abort-at BYTES  --abort-on TEXT\n"
           L"         --timeout SECONDS  --unload-after SECONDS  --runs N  --forget-contact\n"
           L"         --cancel-check-after MS  --typing\n"
           L"commands: info | options [KEY=VALUE...] | check [KEY=VALUE...] | send | send-as-plugin [PATH...] |\n"
           L"          clean | clipboard | gui";
}

std::vector<std::wstring> CommandLine::fileDialogEntries() const
{
    if (files.size() < 2)
        return files;
    size_t common = commonFolderLength(files);
    std::wstring names;
    for (const std::wstring& path : files)
        names += (names.empty() ? L"\"" : L" \"") + path.substr(common) + L"\"";
    return {files.front().substr(0, common), names};
}

// The length of the paths' deepest common folder, with its final backslash.
size_t CommandLine::commonFolderLength(const std::vector<std::wstring>& paths)
{
    size_t length = paths.front().rfind(L'\\') + 1;
    for (const std::wstring& path : paths) {
        while (length > 0 && path.compare(0, length, paths.front(), 0, length) != 0)
            length = length > 1 ? paths.front().rfind(L'\\', length - 2) + 1 : 0;
    }
    return length;
}

// Returns the index of the option's last argument.
size_t CommandLine::option(const std::vector<std::wstring>& arguments, size_t index)
{
    static const std::vector<std::wstring> names = {
        L"--plugin", L"--profile", L"--contact", L"--file", L"--answer", L"--abort-at", L"--abort-on", L"--timeout",
        L"--unload-after", L"--runs", L"--cancel-check-after"};
    const std::wstring& name = arguments[index];
    if (name == L"--forget-contact") {
        forgetContact = true;
        return index;
    }
    if (name == L"--typing") {
        typing = true;
        return index;
    }
    if (std::find(names.begin(), names.end(), name) == names.end())
        throw usageError(L"unknown option " + name);
    if (index + 1 >= arguments.size())
        throw usageError(name + L" needs a value");
    const std::wstring& value = arguments[index + 1];
    if (name == L"--plugin") {
        pluginPath = windowsPath(value);
    } else if (name == L"--profile") {
        profileDir = windowsPath(value);
    } else if (name == L"--contact") {
        contacts.push_back(contact(value));
    } else if (name == L"--file") {
        files.push_back(windowsPath(value));
        if (files.size() > 1 && commonFolderLength(files) == 0)
            throw usageError(L"--file: several files need a folder in common, as one choice in the dialog has");
    } else if (name == L"--answer") {
        if (value != L"yes" && value != L"no")
            throw usageError(L"--answer takes yes or no");
        answerYes = value == L"yes";
    } else if (name == L"--abort-at") {
        abortAt = number(name, value, 0, 0x7FFFFFFF);
    } else if (name == L"--abort-on") {
        abortOn = value;
    } else if (name == L"--runs") {
        runs = DWORD(number(name, value, 1, 100));
    } else if (name == L"--cancel-check-after") {
        cancelCheckAfterMs = DWORD(number(name, value, 1, 3600000));
    } else if (name == L"--unload-after") {
        unloadAfterSeconds = DWORD(number(name, value, 1, 86400LL * 7));
    } else {
        timeoutSeconds = DWORD(number(name, value, 1, 86400LL * 7));
    }
    return index + 1;
}

void CommandLine::checkCommand() const
{
    static const std::vector<std::wstring> plain = {L"info", L"send", L"clean", L"clipboard", L"sent", L"gui"};
    if (command.empty())
        throw usageError(L"no command");
    if (std::find(plain.begin(), plain.end(), command) != plain.end()) {
        if (!commandArguments.empty())
            throw usageError(command + L" takes no arguments");
    } else if (command == L"send-as-plugin") {
        return;
    } else if (command == L"sent-delete") {
        if (commandArguments.empty())
            throw usageError(L"sent-delete takes the numbers of the rows to delete");
        for (const std::wstring& row : commandArguments)
            number(L"sent-delete", row, 1, 0x7FFFFFFF);
    } else if (command == L"options" || command == L"check") {
        for (const std::wstring& assignment : commandArguments) {
            size_t equals = assignment.find(L'=');
            std::wstring key = assignment.substr(0, equals);
            const auto& keys = optionKeys();
            if (equals == std::wstring::npos || std::find(keys.begin(), keys.end(), key) == keys.end())
                throw usageError(L"options takes KEY=VALUE with a key of the options page, not " + assignment);
            std::wstring value = assignment.substr(equals + 1);
            if (isCheckBoxKey(key) && value != L"0" && value != L"1")
                throw usageError(key + L" takes 0 or 1");
            if (key == L"tls" && (value.size() != 1 || value[0] < L'0' || value[0] > L'3'))
                throw usageError(L"tls takes the position of a choice in its list: 0, 1, 2 or 3");
            if (key == L"expireDays" && value.find_first_not_of(L"0123456789") != std::wstring::npos)
                throw usageError(L"expireDays takes a number of days");
            if (key == L"protocol" && value != L"0" && value != L"1")
                throw usageError(L"protocol takes the position of a choice in its list: 0 (FTP) or 1 (SFTP)");
        }
    } else {
        throw usageError(L"unknown command " + command);
    }
}

Contact CommandLine::contact(const std::wstring& text)
{
    size_t first = text.find(L'/');
    size_t second = first == std::wstring::npos ? first : text.find(L'/', first + 1);
    if (first == 0 || second == std::wstring::npos || second + 1 == text.size())
        throw usageError(L"--contact takes CLASS/NUMBER/ID, not " + text);
    LONGLONG netId = number(L"--contact", text.substr(first + 1, second - first - 1), -0x80000000LL, 0x7FFFFFFF);
    return Contact{text.substr(0, first), INT32(netId), text.substr(second + 1)};
}

LONGLONG CommandLine::number(const std::wstring& option, const std::wstring& text, LONGLONG lowest, LONGLONG highest)
{
    size_t sign = !text.empty() && text[0] == L'-' ? 1 : 0;
    bool digits = text.size() > sign && text.size() < 12 &&
                  std::all_of(text.begin() + static_cast<std::ptrdiff_t>(sign), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    LONGLONG value = digits ? _wtoi64(text.c_str()) : lowest - 1;
    if (value < lowest || value > highest)
        throw usageError(option + L": not a number in range: " + text);
    return value;
}
