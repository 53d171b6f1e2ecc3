#include "cmdlog/logspool.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include "common/handles.h"

namespace {

const char kMagic[] = "Tarnel spool 1\n";
// Larger than any ten thousand records of every log a seat writes.
const DWORD kMaxSpoolBytes = 64u * 1024 * 1024;

// One entry: "<kind> <file length> <bytes length>\n<file><bytes>".
void putEntry(std::string& out, const SpooledLog& log) {
    char head[96];
    std::snprintf(head, sizeof head, " %lu %lu\n", (unsigned long)log.file.size(),
                  (unsigned long)log.bytes.size());
    out += log.kind + head + log.file + log.bytes;
}

bool takeNumber(const std::string& s, size_t& at, unsigned long& n) {
    if (at >= s.size() || s[at] < '0' || s[at] > '9') return false;
    n = 0;
    for (; at < s.size() && s[at] >= '0' && s[at] <= '9'; ++at) {
        if (n > kMaxSpoolBytes) return false;
        n = n * 10 + (unsigned long)(s[at] - '0');
    }
    return true;
}

// The entries of a whole spool; false for anything else.
bool parse(const std::string& s, const std::vector<std::string>& kinds,
           std::vector<SpooledLog>& out) {
    const size_t magic = sizeof kMagic - 1;
    if (s.compare(0, magic, kMagic) != 0) return false;
    for (size_t at = magic; at < s.size();) {
        const size_t space = s.find(' ', at);
        if (space == std::string::npos) return false;
        SpooledLog log;
        log.kind = s.substr(at, space - at);
        if (std::find(kinds.begin(), kinds.end(), log.kind) == kinds.end()) return false;
        at = space + 1;
        unsigned long fileLength, byteLength;
        if (!takeNumber(s, at, fileLength) || at >= s.size() || s[at++] != ' ' ||
            !takeNumber(s, at, byteLength) || at >= s.size() || s[at++] != '\n')
            return false;
        if (fileLength == 0 || s.size() - at < fileLength + byteLength) return false;
        log.file = s.substr(at, fileLength);
        log.bytes = s.substr(at + fileLength, byteLength);
        at += fileLength + byteLength;
        out.push_back(std::move(log));
    }
    return true;
}

bool readWhole(HANDLE file, std::string& out) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > kMaxSpoolBytes) return false;
    out.assign((size_t)size.QuadPart, '\0');
    DWORD got = 0;
    return out.empty() ||
           (ReadFile(file, &out[0], (DWORD)out.size(), &got, nullptr) && got == out.size());
}

} // namespace

std::string logSpoolFolder() {
    char temp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(sizeof temp, temp);
    std::string folder = n > 0 && n < sizeof temp ? std::string(temp, n) : std::string(".\\");
    if (folder.back() != '\\') folder += '\\';
    return folder + "tarnel-spool";
}

bool spoolLogs(const std::vector<SpooledLog>& logs) {
    if (logs.empty()) return true;
    const std::string folder = logSpoolFolder();
    CreateDirectoryA(folder.c_str(), nullptr);
    // Named by the time, so files sort oldest first, and the process.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    char name[64];
    std::snprintf(name, sizeof name, "\\%08lx%08lx-%08lx", now.dwHighDateTime, now.dwLowDateTime,
                  GetCurrentProcessId());
    const std::string path = folder + name + ".spool";
    const std::string partial = folder + name + ".part";
    std::string bytes = kMagic;
    for (const SpooledLog& log : logs)
        putEntry(bytes, log);
    bool written = false;
    {
        FileHandle file(CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return false;
        DWORD n = 0;
        written = WriteFile(file.get(), bytes.data(), (DWORD)bytes.size(), &n, nullptr) &&
                  n == bytes.size() && FlushFileBuffers(file.get());
    }
    // Only a whole spool is given its name: a reader never sees part of one.
    if (written && MoveFileA(partial.c_str(), path.c_str())) return true;
    DeleteFileA(partial.c_str());
    return false;
}

std::vector<SpooledLog> takeSpooledLogs(const std::vector<std::string>& kinds) {
    std::vector<SpooledLog> logs;
    const std::string folder = logSpoolFolder();
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA((folder + "\\*.spool").c_str(), &found));
    if (!find.valid()) return logs;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(find.get(), &found));
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = folder + "\\" + name;
        std::string bytes;
        std::vector<SpooledLog> entries;
        bool whole;
        {
            // Read alone, and removed while still held, so two hosts starting
            // together never both take it.
            FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file.valid()) continue;
            whole = readWhole(file.get(), bytes) && parse(bytes, kinds, entries);
            if (whole) {
                if (!DeleteFileA(path.c_str())) continue; // taken at a later start
                logs.insert(logs.end(), entries.begin(), entries.end());
            }
        }
        if (!whole) MoveFileA(path.c_str(), (path + ".bad").c_str());
    }
    return logs;
}
