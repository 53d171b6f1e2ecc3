#include "cmdlog/logspool.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include "common/criticalsection.h"
#include "common/errortext.h"
#include "common/faultpoint.h"
#include "common/handles.h"

namespace {

const char kMagic[] = "Tarnel spool 2\n";
const char kMagicV1[] = "Tarnel spool 1\n";
// Larger than any ten thousand records of every log a seat writes.
const unsigned long kMaxSpoolBytes = 64ul * 1024 * 1024;

// "T <kind> <since> <lost> <file length> <records>\n<file>", then for each
// record "R <length>\n<bytes>".
void putLog(std::string& out, const SpooledLog& log) {
    char head[160];
    std::snprintf(head, sizeof head, " %llu %lu %lu %lu\n", log.since, log.lost,
                  (unsigned long)log.file.size(), (unsigned long)log.records.size());
    out += "T " + log.kind + head + log.file;
    for (const std::string& r : log.records) {
        std::snprintf(head, sizeof head, "R %lu\n", (unsigned long)r.size());
        out += head + r;
    }
}

// Reads the text a spool file holds, in bounds.
class Reader {
  public:
    explicit Reader(const std::string& s, size_t at) : s_(s), at_(at) {}
    bool done() const { return at_ >= s_.size(); }
    bool literal(const char* text) {
        const size_t n = std::char_traits<char>::length(text);
        if (s_.compare(at_, n, text) != 0) return false;
        at_ += n;
        return true;
    }
    bool number(unsigned long long& n, unsigned long long max) {
        if (at_ >= s_.size() || s_[at_] < '0' || s_[at_] > '9') return false;
        n = 0;
        for (; at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9'; ++at_) {
            if (n > max / 10) return false;
            n = n * 10 + (unsigned long long)(s_[at_] - '0');
        }
        return n <= max;
    }
    bool word(std::string& w) {
        const size_t space = s_.find(' ', at_);
        if (space == std::string::npos || space == at_) return false;
        w = s_.substr(at_, space - at_);
        at_ = space;
        return true;
    }
    bool bytes(size_t n, std::string& out) {
        if (s_.size() - at_ < n) return false;
        out = s_.substr(at_, n);
        at_ += n;
        return true;
    }

  private:
    const std::string& s_;
    size_t at_;
};

bool known(const std::vector<std::string>& kinds, const std::string& kind) {
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

bool parseV2(const std::string& s, const std::vector<std::string>& kinds,
             std::vector<SpooledLog>& out) {
    Reader r(s, sizeof kMagic - 1);
    while (!r.done()) {
        SpooledLog log;
        unsigned long long since, lost, fileLength, count;
        if (!r.literal("T ") || !r.word(log.kind) || !known(kinds, log.kind) || !r.literal(" ") ||
            !r.number(since, ~0ull) || !r.literal(" ") || !r.number(lost, 0xFFFFFFFFull) ||
            !r.literal(" ") || !r.number(fileLength, kMaxSpoolBytes) || !r.literal(" ") ||
            !r.number(count, kMaxSpoolBytes) || !r.literal("\n") || fileLength == 0 ||
            !r.bytes((size_t)fileLength, log.file))
            return false;
        log.since = since;
        log.lost = (unsigned long)lost;
        for (unsigned long long i = 0; i < count; ++i) {
            unsigned long long length;
            std::string record;
            if (!r.literal("R ") || !r.number(length, kMaxSpoolBytes) || !r.literal("\n") ||
                !r.bytes((size_t)length, record))
                return false;
            log.records.push_back(std::move(record));
        }
        out.push_back(std::move(log));
    }
    return true;
}

// The earlier format: "<kind> <file length> <bytes length>\n<file><bytes>";
// each line of the bytes is a record again.
bool parseV1(const std::string& s, const std::vector<std::string>& kinds,
             std::vector<SpooledLog>& out) {
    Reader r(s, sizeof kMagicV1 - 1);
    while (!r.done()) {
        SpooledLog log;
        unsigned long long fileLength, byteLength;
        std::string bytes;
        if (!r.word(log.kind) || !known(kinds, log.kind) || !r.literal(" ") ||
            !r.number(fileLength, kMaxSpoolBytes) || !r.literal(" ") ||
            !r.number(byteLength, kMaxSpoolBytes) || !r.literal("\n") || fileLength == 0 ||
            !r.bytes((size_t)fileLength, log.file) || !r.bytes((size_t)byteLength, bytes))
            return false;
        for (size_t at = 0; at < bytes.size();) {
            size_t end = bytes.find('\n', at);
            end = end == std::string::npos ? bytes.size() : end + 1;
            log.records.push_back(bytes.substr(at, end - at));
            at = end;
        }
        out.push_back(std::move(log));
    }
    return true;
}

bool parse(const std::string& s, const std::vector<std::string>& kinds,
           std::vector<SpooledLog>& out) {
    if (s.compare(0, sizeof kMagic - 1, kMagic) == 0) return parseV2(s, kinds, out);
    if (s.compare(0, sizeof kMagicV1 - 1, kMagicV1) == 0) return parseV1(s, kinds, out);
    return false;
}

bool readWhole(HANDLE file, std::string& out) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > kMaxSpoolBytes) return false;
    out.assign((size_t)size.QuadPart, '\0');
    DWORD got = 0;
    return out.empty() ||
           (ReadFile(file, &out[0], (DWORD)out.size(), &got, nullptr) && got == out.size());
}

// Told apart when one process spools twice in one tick of the clock.
unsigned long nextSpoolCount() {
    static CriticalSection lock;
    static unsigned long count = 0;
    Locked held(lock);
    return count++;
}

} // namespace

std::string SpooledLog::bytes() const {
    std::string out;
    for (const std::string& r : records)
        out += r;
    return out;
}

std::string logSpoolFolder() {
    char temp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp) return std::string();
    std::string folder(temp, n);
    if (folder.back() != '\\') folder += '\\';
    return folder + "tarnel-spool";
}

bool spoolLogs(const std::vector<SpooledLog>& logs, std::string* why) {
    if (logs.empty()) return true;
    auto failed = [why](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    const std::string folder = logSpoolFolder();
    if (folder.empty()) return failed("Windows gives no temporary folder");
    CreateDirectoryA(folder.c_str(), nullptr);
    // Named by the time, so files sort oldest first, the process and a count.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    char name[80];
    std::snprintf(name, sizeof name, "\\%08lx%08lx-%08lx-%04lx", now.dwHighDateTime,
                  now.dwLowDateTime, GetCurrentProcessId(), nextSpoolCount() & 0xFFFF);
    const std::string path = folder + name + ".spool";
    const std::string partial = folder + name + ".part";
    std::string bytes = kMagic;
    for (const SpooledLog& log : logs)
        putLog(bytes, log);
    bool written = false;
    DWORD error = 0;
    {
        // A full or unwritable temporary folder, as a test's plan makes it.
        const bool refused = faultpoint::fails("SpoolFile");
        FileHandle file(refused ? INVALID_HANDLE_VALUE
                                : CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            error = refused ? (DWORD)ERROR_ACCESS_DENIED : GetLastError();
            return failed(folder + " cannot be written: " + systemErrorText(error));
        }
        DWORD n = 0;
        written = WriteFile(file.get(), bytes.data(), (DWORD)bytes.size(), &n, nullptr) &&
                  n == bytes.size() && FlushFileBuffers(file.get());
        if (!written) error = GetLastError();
    }
    // Only a whole spool is given its name: a reader never sees part of one.
    if (written && MoveFileA(partial.c_str(), path.c_str())) return true;
    if (written) error = GetLastError();
    DeleteFileA(partial.c_str());
    return failed(folder + " cannot be written: " + systemErrorText(error));
}

HeldSpool::HeldSpool(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}

HeldSpool::~HeldSpool() {
    // Deleted while still held, so no other host takes it meanwhile.
    if (!keep_) DeleteFileA(path_.c_str());
    CloseHandle(static_cast<HANDLE>(handle_));
}

std::vector<TakenSpool> takeSpools(const std::vector<std::string>& kinds,
                                   std::vector<std::string>* setAside) {
    std::vector<TakenSpool> taken;
    const std::string folder = logSpoolFolder();
    if (folder.empty()) return taken;
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA((folder + "\\*.spool").c_str(), &found));
    if (!find.valid()) return taken;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(find.get(), &found));
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = folder + "\\" + name;
        // Read alone and held, so two hosts starting together never both take it.
        FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) continue;
        std::string bytes;
        TakenSpool spool;
        if (readWhole(file.get(), bytes) && parse(bytes, kinds, spool.logs)) {
            spool.file = std::make_shared<HeldSpool>(file.release(), path);
            taken.push_back(std::move(spool));
            continue;
        }
        file.reset();
        if (MoveFileA(path.c_str(), (path + ".bad").c_str()) && setAside)
            setAside->push_back(path + ".bad");
    }
    return taken;
}

std::vector<SpooledLog> takeSpooledLogs(const std::vector<std::string>& kinds) {
    std::vector<SpooledLog> logs;
    for (TakenSpool& spool : takeSpools(kinds))
        logs.insert(logs.end(), spool.logs.begin(), spool.logs.end());
    return logs;
}
