#include "cmdlog/logfile.h"
#include "common/faultpoint.h"
#include "common/wholewrite.h"

namespace {

// Writers exclude each other (none shares writing) so a record is written
// whole; readers that share writing, as editors, tails and report tools
// do, are let in and never block a writer.
HANDLE openLog(const std::string& fileName, DWORD disposition) {
    if (faultpoint::failsFor("CreateFileA", fileName)) {
        SetLastError(ERROR_NETNAME_DELETED); // a share gone, for a while
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

FileHandle openLogFile(const std::string& fileName) {
    FileHandle file(openLog(fileName, OPEN_EXISTING));
    if (file.valid()) return file;
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return file;
    file.reset(openLog(fileName, CREATE_NEW));
    if (file.valid() || GetLastError() != ERROR_FILE_EXISTS) return file;
    file.reset(openLog(fileName, OPEN_EXISTING)); // another host made it just now
    return file;
}

bool appendAtEnd(HANDLE file, const LogKind& kind, std::string bytes) {
    // Without the end a write would land over the start of the log.
    LARGE_INTEGER size = {};
    if (faultpoint::fails("GetFileSizeEx") || !GetFileSizeEx(file, &size)) return false;
    // Whoever finds the file empty writes the header first.
    if (size.QuadPart == 0) bytes = kind.header() + bytes;
    if (faultpoint::fails("SetFilePointerEx") || !SetFilePointerEx(file, size, nullptr, FILE_BEGIN))
        return false;
    return writeWholeAt(file, size, bytes); // a full disk: kept, tried again later
}
