// Registry keys and values: a key owned by RegKey, a string or a number read
// and written. Each call gives back Windows' own error code (ERROR_SUCCESS or
// the reason), so a caller can tell a missing key from one it may not open.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "common/handles.h"

namespace registry {

// root\path opened with access; on failure out owns nothing.
inline LONG openKey(HKEY root, const std::string& path, REGSAM access, RegKey& out) {
    out.reset();
    return RegOpenKeyExA(root, path.c_str(), 0, access, out.put());
}

// root\path opened, or made with every key above it that is missing.
inline LONG createKey(HKEY root, const std::string& path, REGSAM access, RegKey& out) {
    out.reset();
    return RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, access, nullptr, out.put(), nullptr);
}

// The value name (null: the key's default value) as text up to its first
// zero, read whole whatever its length. Its type is not asked: a value that
// another program wrote as bytes reads as what it says, and since the
// registry does not promise a terminator, one is added.
inline LONG readString(HKEY key, const char* name, std::string& out) {
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    std::vector<char> buffer(size + 1, '\0');
    status = RegQueryValueExA(key, name, nullptr, nullptr, (LPBYTE)buffer.data(), &size);
    if (status != ERROR_SUCCESS) return status;
    out = buffer.data(); // up to the first zero
    return ERROR_SUCCESS;
}

inline LONG writeString(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value.c_str(),
                          (DWORD)value.size() + 1);
}

inline LONG writeNumber(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value);
}

// A value that is not there is gone.
inline LONG deleteValue(HKEY key, const char* name) {
    const LONG status = RegDeleteValueA(key, name);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// One value of a key as it is stored: its name, type and bytes.
struct Value {
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
};

// Every value of the key, each read whole whatever its length; a value
// changed meanwhile to a longer one is read again.
inline LONG enumValues(HKEY key, std::vector<Value>& out) {
    out.clear();
    for (DWORD i = 0;;) {
        DWORD nameMax = 0, dataMax = 0;
        LONG status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, &nameMax, &dataMax, nullptr, nullptr);
        if (status != ERROR_SUCCESS) return status;
        std::vector<char> name(nameMax + 1);
        std::vector<BYTE> data(dataMax + 1);
        DWORD nameSize = (DWORD)name.size(), dataSize = (DWORD)data.size(), type = 0;
        status = RegEnumValueA(key, i, name.data(), &nameSize, nullptr, &type, data.data(),
                               &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
        if (status == ERROR_MORE_DATA) continue; // grew meanwhile: asked again
        if (status != ERROR_SUCCESS) return status;
        out.push_back({std::string(name.data(), nameSize), type,
                       std::string(reinterpret_cast<const char*>(data.data()), dataSize)});
        ++i;
    }
}

} // namespace registry
