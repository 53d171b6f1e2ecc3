// Appending that never leaves part of a write behind.
#pragma once
#include <windows.h>
#include <string>
#include "common/faultpoint.h"

// Writes bytes at the file's current position, which is end, all of them;
// a failed or short write (a full disk) is cut back to end, leaving the
// file as it was (false).
inline bool writeWholeAt(HANDLE file, LARGE_INTEGER end, const std::string& bytes) {
    DWORD written = 0;
    if (!faultpoint::fails("WriteFile") &&
        WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
        written == bytes.size())
        return true;
    if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) SetEndOfFile(file);
    return false;
}
