#include "cmdlog/logwriter.h"
#include <windows.h>
#include <cstdlib>
#include "common/faultpoint.h"
#include "common/handles.h"
#include "cmdlog/logrecord.h"
#include "common/scopeguard.h"

namespace {

HANDLE openLog(const std::string& fileName, DWORD disposition) {
    return CreateFileA(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A byte far past any real end of file serves as the writers' lock.
const DWORD kLockOffsetHigh = 0x40000000;

} // namespace

bool appendLogRecord(const std::string& fileName, const char* name, TimeStamp start,
                     TimeStamp finish) {
    if (fileName.empty()) return false;
    FileHandle file(openLog(fileName, OPEN_EXISTING));
    if (!file.valid()) file.reset(openLog(fileName, CREATE_NEW));
    if (!file.valid()) return false;

    std::string bytes = logRecord(name, start, finish);
    OVERLAPPED lockAt = {};
    lockAt.OffsetHigh = kLockOffsetHigh;
    bool locked = LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lockAt) != FALSE;
    auto unlock = onScopeExit([&] {
        if (locked) UnlockFileEx(file.get(), 0, 1, 0, &lockAt);
    });
    // Without the end a write would land over the start of the log.
    LARGE_INTEGER size = {};
    if (faultpoint::fails("GetFileSizeEx") || !GetFileSizeEx(file.get(), &size)) return false;
    // Whoever finds the file empty writes the header first.
    if (size.QuadPart == 0)
        bytes = logHeader([](const char* v) -> const char* { return std::getenv(v); }) + bytes;
    if (faultpoint::fails("SetFilePointerEx") ||
        !SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN))
        return false;
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    return true;
}
