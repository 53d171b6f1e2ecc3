#include "cmdlog/logwriter.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include "cmdlog/logrecord.h"
#include "common/faultpoint.h"
#include "common/handles.h"
#include "common/wholewrite.h"

namespace {

// What waits for one file: records in the order they were made, and how
// many were dropped because the bound was passed.
struct Kept {
    LogKind kind;
    std::deque<std::string> records;
    unsigned long lost = 0;
    DWORD lastTry = 0; // when the file was last tried, in GetTickCount's milliseconds
};

std::map<std::string, Kept>& keptByFile() {
    static std::map<std::string, Kept> kept;
    return kept;
}

// Writers exclude each other (none shares writing) so a record is written
// whole; readers that share writing, as editors, tails and report tools
// do, are let in and never block a writer.
HANDLE openLog(const std::string& fileName, DWORD disposition) {
    if (faultpoint::fails("CreateFileA")) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool anotherWriter(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// One attempt at the log, created when missing; invalid when it cannot be
// had now. held tells whether another program holds it.
FileHandle openOnce(const std::string& fileName, bool& held) {
    held = false;
    FileHandle file(openLog(fileName, OPEN_EXISTING));
    if (file.valid()) return file;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) {
        file.reset(openLog(fileName, CREATE_NEW));
        if (file.valid()) return file;
        error = GetLastError();
        if (error == ERROR_FILE_EXISTS) { // another host made it just now
            file.reset(openLog(fileName, OPEN_EXISTING));
            if (file.valid()) return file;
            error = GetLastError();
        }
    }
    held = anotherWriter(error);
    return FileHandle();
}

// The command log's own header and lost line.
std::string commandLogHeader() {
    return logHeader([](const char* v) -> const char* { return std::getenv(v); });
}

std::string commandLogLost(unsigned long lost) {
    char line[160];
    std::snprintf(line, sizeof line,
                  "Tarnel: %lu command records were lost while the log could not be written\n",
                  lost);
    return line;
}

const LogKind kCommandLog = {commandLogHeader, commandLogLost};

// Appends bytes at the end found now; false with the file as it was when
// the end cannot be found or the write fails.
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

// Writes what is kept for the file in one write; false when it stays kept.
bool flushOnce(const std::string& fileName, Kept& kept, bool& held) {
    held = false;
    if (kept.records.empty() && kept.lost == 0) return true;
    kept.lastTry = GetTickCount();
    FileHandle file = openOnce(fileName, held);
    if (!file.valid()) return false;
    std::string bytes = kept.lost ? kept.kind.lostLine(kept.lost) : std::string();
    for (const std::string& r : kept.records)
        bytes += r;
    if (!appendAtEnd(file.get(), kept.kind, std::move(bytes))) return false;
    kept.records.clear();
    kept.lost = 0;
    return true;
}

void keep(Kept& kept, std::string record) {
    if (kept.records.size() >= kMaxKeptLogRecords) {
        kept.records.pop_front();
        ++kept.lost;
    }
    kept.records.push_back(std::move(record));
}

} // namespace

bool appendLogRecord(const std::string& fileName, const char* name, TimeStamp start,
                     TimeStamp finish) {
    return appendRecord(fileName, kCommandLog, logRecord(name, start, finish));
}

bool appendRecord(const std::string& fileName, const LogKind& kind, std::string record) {
    if (fileName.empty()) return false;
    std::map<std::string, Kept>& all = keptByFile();
    auto it = all.find(fileName);
    if (it == all.end()) {
        // The usual case: nothing kept, the record goes straight to disk.
        Kept fresh{kind, {}, 0, 0};
        fresh.records.push_back(std::move(record));
        bool held;
        if (flushOnce(fileName, fresh, held)) return true;
        all.emplace(fileName, std::move(fresh));
        return false;
    }
    keep(it->second, std::move(record));
    // A file that could not be had a moment ago is not asked again at every
    // command: the tick tries it each second in any case.
    if (GetTickCount() - it->second.lastTry < kLogRetryMs) return false;
    bool held;
    if (!flushOnce(fileName, it->second, held)) return false;
    all.erase(it);
    return true;
}

bool flushKeptLogRecords(unsigned long waitMs) {
    std::map<std::string, Kept>& all = keptByFile();
    if (all.empty()) return true; // the usual case, at every tick
    const DWORD began = GetTickCount();
    DWORD pause = 1;
    for (;;) {
        bool anyHeld = false;
        for (auto it = all.begin(); it != all.end();) {
            bool held;
            if (flushOnce(it->first, it->second, held)) {
                it = all.erase(it);
            } else {
                anyHeld = anyHeld || held;
                ++it;
            }
        }
        if (all.empty() || !anyHeld || GetTickCount() - began >= waitMs) break;
        Sleep(pause);
        if (pause < 16) pause *= 2;
    }
    return all.empty();
}

size_t keptLogRecords() {
    size_t n = 0;
    for (const auto& f : keptByFile())
        n += f.second.records.size();
    return n;
}
