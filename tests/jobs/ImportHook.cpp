#include "tests/jobs/ImportHook.h"

#include <cstring>

namespace {

template <typename T>
T* at(HMODULE module, DWORD rva)
{
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

}

ImportHook::ImportHook(const char* library, const char* function, void* replacement)
    : slot(findSlot(library, function)), saved(slot ? *slot : nullptr)
{
    if (slot)
        write(slot, replacement);
}

ImportHook::~ImportHook()
{
    if (slot)
        write(slot, saved);
}

bool ImportHook::installed() const
{
    return slot != nullptr;
}

void* ImportHook::original() const
{
    return saved;
}

void** ImportHook::findSlot(const char* library, const char* function)
{
    HMODULE program = GetModuleHandleW(nullptr);
    auto nt = at<IMAGE_NT_HEADERS>(program, at<IMAGE_DOS_HEADER>(program, 0)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto entry = at<IMAGE_IMPORT_DESCRIPTOR>(program, imports.VirtualAddress); entry->Name; ++entry) {
        if (_stricmp(at<char>(program, entry->Name), library) != 0)
            continue;
        auto names = at<IMAGE_THUNK_DATA>(program, entry->OriginalFirstThunk);
        auto slots = at<IMAGE_THUNK_DATA>(program, entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            if (std::strcmp(at<IMAGE_IMPORT_BY_NAME>(program, names->u1.AddressOfData)->Name, function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

void ImportHook::write(void** slot, void* value)
{
    DWORD protection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}
