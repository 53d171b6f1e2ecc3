#include "cmdlog/logwriter.h"
#include <windows.h>
#include <cstdlib>
#include "cmdlog/logrecord.h"
#include "common/faultpoint.h"
#include "common/handles.h"

namespace {

// The file's share mode is the writers' lock: while one host has the log
// open, no other host can open it, to write or to read. A writer that meets
// another one waits a little and tries again, for a bounded time.
HANDLE openLog(const std::string& fileName, DWORD disposition) {
    if (faultpoint::fails("CreateFileA")) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool anotherWriter(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// The log open for this record alone; invalid when it can be neither opened
// nor created, or another writer kept it for the whole of the wait.
FileHandle openAlone(const std::string& fileName) {
    DWORD waitMs = 1;
    for (DWORD waited = 0; waited <= kLogWriterWaitMs; waited += waitMs, waitMs *= 2) {
        FileHandle file(openLog(fileName, OPEN_EXISTING));
        if (file.valid()) return file;
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            file.reset(openLog(fileName, CREATE_NEW));
            if (file.valid()) return file;
            error = GetLastError();
            if (error == ERROR_FILE_EXISTS) continue; // another host made it just now
        }
        if (!anotherWriter(error)) return FileHandle();
        Sleep(waitMs > 16 ? (waitMs = 16) : waitMs);
    }
    return FileHandle();
}

} // namespace

bool appendLogRecord(const std::string& fileName, const char* name, TimeStamp start,
                     TimeStamp finish) {
    if (fileName.empty()) return false;
    FileHandle file = openAlone(fileName);
    if (!file.valid()) return false;

    std::string bytes = logRecord(name, start, finish);
    // Without the end a write would land over the start of the log.
    LARGE_INTEGER size = {};
    if (faultpoint::fails("GetFileSizeEx") || !GetFileSizeEx(file.get(), &size)) return false;
    // Whoever finds the file empty writes the header first.
    if (size.QuadPart == 0)
        bytes = logHeader([](const char* v) -> const char* { return std::getenv(v); }) + bytes;
    if (faultpoint::fails("SetFilePointerEx") ||
        !SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN))
        return false;
    if (faultpoint::fails("WriteFile")) return true; // as a full disk: not noticed
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    return true;
}
