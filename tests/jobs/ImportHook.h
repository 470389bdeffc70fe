// Points one of this program's imports at a stand-in until destroyed. Code
// linked into the program (the plug-in's core included) calls the system
// through these slots, so a test can count its calls exactly.
#pragma once

#include <windows.h>

class ImportHook {
public:
    ImportHook(const char* library, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    bool installed() const;
    void* original() const;

private:
    static void** findSlot(const char* library, const char* function);
    static void write(void** slot, void* value);

    void** slot;
    void* saved;
};
