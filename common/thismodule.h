// The module (a DLL, or the program itself) that the calling code is
// linked into, found from the address of code in it.
#pragma once
#include <windows.h>

// Null when Windows cannot tell.
inline HMODULE thisModule() {
    MEMORY_BASIC_INFORMATION info = {};
    if (!VirtualQuery(reinterpret_cast<const void*>(&thisModule), &info, sizeof info))
        return nullptr;
    return static_cast<HMODULE>(info.AllocationBase);
}
