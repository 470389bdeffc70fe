// An in-process host for unit tests: records every call the plug-in makes,
// with the contents of the records it passes, and keeps settings in memory.
#pragma once

#include "plugin/HostInterface.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

struct HostCall {
    std::wstring function;  // "callFunction", "hookEvent", ...
    std::wstring name;
    UINT_PTR wParam;
    UINT_PTR lParam;
    std::wstring record;  // the passed record's fields, read during the call
};

class RecordingHost {
public:
    RecordingHost();
    ~RecordingHost();

    HostFunctionTable table;
    bool sendFileExists = false;       // answer of functionExists("wtwSkarvelin/sendFile")
    HostHandle settingsHandle = reinterpret_cast<HostHandle>(0x5E7);
    std::wstring configFile = L"C:\\profile\\Vornix.cfg";  // what GetMyConfigFile answers

    std::vector<HostCall> calls();
    std::vector<std::wstring> names();  // "function name" of each call
    void clearCalls();

    // The settings service's store: integers and texts by key.
    std::map<std::wstring, int> integers;
    std::map<std::wstring, std::wstring> texts;

private:
    friend struct RecordingHostCalls;
    void record(HostCall call);
    INT_PTR get(SettingValue* value);
    void set(const SettingValue* value);
    std::mutex mutex;
    std::vector<HostCall> recorded;
};
