#include "cmdlog/logwriter.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include "cmdlog/logrecord.h"
#include "cmdlog/logspool.h"
#include "common/criticalsection.h"
#include "common/handles.h"

namespace {

// What waits for one file: records in the order they were made, and how
// many were dropped because the bound was passed.
struct Queued {
    LogKind kind;
    std::deque<std::string> records;
    unsigned long lost = 0;
};

void dropPastBound(Queued& q) {
    while (q.records.size() > kMaxKeptLogRecords) {
        q.records.pop_front();
        ++q.lost;
    }
}

std::string bytesOf(const Queued& q) {
    std::string bytes = q.lost ? q.kind.lostLine(q.lost) : std::string();
    for (const std::string& r : q.records)
        bytes += r;
    return bytes;
}

// The queue and the thread that empties it. Events: wake (auto-reset)
// tells the thread something was queued; hurry (manual) ends its pauses
// while the unload waits; settled (manual) is set when nothing is queued,
// and while closing also when a pass could not write everything.
struct Writer {
    CriticalSection lock;
    // Under lock from here on.
    std::map<std::string, Queued> queued;
    size_t writing = 0;   // records the thread took and has not written yet
    bool running = false; // the thread runs; clearing it is its last use of this
    bool closing = false; // the unload asked the thread to end once nothing is queued
    bool closed = false;  // the unload spooled what was left
    FileHandle thread;
    FileHandle wake{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    FileHandle hurry{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    FileHandle settled{CreateEventA(nullptr, TRUE, TRUE, nullptr)};
};

// Kept until the module goes; a thread still running when the process
// ends keeps it, as the process's end takes the thread with it.
struct WriterHolder {
    Writer* writer = new Writer;
    ~WriterHolder() {
        bool idle;
        {
            Locked held(writer->lock);
            idle = !writer->running;
        }
        if (idle) delete writer;
    }
};

Writer& writer() {
    static WriterHolder holder;
    return *holder.writer;
}

// A reference on the module the writer's code is in, so an unload while
// the thread waits on a server leaves the code there until it ends; none
// when that code is linked into the program itself.
HMODULE holdOwnModule() {
    MEMORY_BASIC_INFORMATION info = {};
    if (!VirtualQuery(reinterpret_cast<void*>(&holdOwnModule), &info, sizeof info)) return nullptr;
    HMODULE self = static_cast<HMODULE>(info.AllocationBase);
    if (self == GetModuleHandleA(nullptr)) return nullptr;
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return LoadLibraryA(path);
}

// Everything queued, as spool entries; the queue is left empty.
std::vector<SpooledLog> takeAll(Writer& w) {
    std::vector<SpooledLog> logs;
    for (const auto& q : w.queued)
        logs.push_back({q.second.kind.name, q.first, bytesOf(q.second)});
    w.queued.clear();
    return logs;
}

// Writes what is queued for the file; false when it stays queued. The file
// is opened before anything is taken from the queue, so records the unload
// spools while the open waits on a server are never written too.
bool writeQueued(Writer& w, const std::string& fileName) {
    FileHandle file = openLogFile(fileName);
    if (!file.valid()) return false;
    Queued taken;
    {
        Locked held(w.lock);
        auto it = w.queued.find(fileName);
        if (it == w.queued.end()) return true;
        taken = std::move(it->second);
        w.queued.erase(it);
        w.writing = taken.records.size();
    }
    const bool written = appendAtEnd(file.get(), taken.kind, bytesOf(taken));
    Locked held(w.lock);
    w.writing = 0;
    if (written) return true;
    // Back to the front, ahead of what was queued meanwhile.
    Queued& q = w.queued.emplace(fileName, Queued{taken.kind, {}, 0}).first->second;
    q.records.insert(q.records.begin(), taken.records.begin(), taken.records.end());
    q.lost += taken.lost;
    dropPastBound(q);
    return false;
}

DWORD WINAPI writerMain(void* moduleReference) {
    Writer& w = writer();
    for (;;) {
        std::vector<std::string> files;
        {
            Locked held(w.lock);
            if (w.queued.empty()) {
                SetEvent(w.settled.get());
                if (w.closing) {
                    w.running = false;
                    break;
                }
            }
            for (const auto& q : w.queued)
                files.push_back(q.first);
        }
        if (files.empty()) {
            WaitForSingleObject(w.wake.get(), INFINITE);
            continue;
        }
        bool failed = false;
        for (const std::string& f : files)
            failed = !writeQueued(w, f) || failed;
        if (!failed) continue;
        std::vector<SpooledLog> late;
        {
            Locked held(w.lock);
            if (w.closed) {
                late = takeAll(w); // a write that failed after the unload spooled
            } else if (w.closing) {
                SetEvent(w.settled.get()); // the unload need not wait any longer
            }
        }
        spoolLogs(late);
        WaitForSingleObject(w.hurry.get(), kLogRetryMs);
    }
    if (moduleReference) FreeLibraryAndExitThread(static_cast<HMODULE>(moduleReference), 0);
    return 0;
}

// Under the lock. A thread that cannot be made leaves the records queued
// for the next record's try, or the unload's spool.
void startWriter(Writer& w) {
    HMODULE reference = holdOwnModule();
    DWORD id;
    HANDLE thread = CreateThread(nullptr, 0, writerMain, reference, 0, &id);
    if (!thread) {
        if (reference) FreeLibrary(reference);
        return;
    }
    w.thread.reset(thread);
    w.running = true;
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

const LogKind kCommandLog = {"command-log", commandLogHeader, commandLogLost};

} // namespace

const LogKind& commandLogKind() {
    return kCommandLog;
}

bool appendLogRecord(const std::string& fileName, const char* name, TimeStamp start,
                     TimeStamp finish) {
    return appendRecord(fileName, kCommandLog, logRecord(name, start, finish));
}

bool appendRecord(const std::string& fileName, const LogKind& kind, std::string record) {
    if (fileName.empty()) return false;
    Writer& w = writer();
    Locked held(w.lock);
    Queued& q = w.queued.emplace(fileName, Queued{kind, {}, 0}).first->second;
    q.records.push_back(std::move(record));
    dropPastBound(q);
    ResetEvent(w.settled.get());
    // A record after an unload (the module loaded again): the writer serves on.
    w.closing = w.closed = false;
    ResetEvent(w.hurry.get());
    if (!w.running) startWriter(w);
    SetEvent(w.wake.get());
    return true;
}

bool waitLogWritten(unsigned long waitMs) {
    Writer& w = writer();
    WaitForSingleObject(w.settled.get(), waitMs);
    Locked held(w.lock);
    return w.queued.empty() && w.writing == 0;
}

bool closeLogWriter(unsigned long waitMs) {
    Writer& w = writer();
    HANDLE thread;
    {
        Locked held(w.lock);
        w.closing = true;
        thread = w.running ? w.thread.get() : nullptr;
        SetEvent(w.hurry.get());
        SetEvent(w.wake.get());
    }
    const DWORD began = GetTickCount();
    if (thread) WaitForSingleObject(w.settled.get(), waitMs);
    std::vector<SpooledLog> left;
    {
        Locked held(w.lock);
        left = takeAll(w);
        w.closed = true;
    }
    const bool spooled = spoolLogs(left);
    // A thread that is not waiting on a server ends now, and with it its
    // hold on the module, so the host's unload really unloads.
    const DWORD spent = GetTickCount() - began;
    if (thread) WaitForSingleObject(thread, spent < waitMs ? waitMs - spent : 0);
    return left.empty() && spooled;
}

size_t replayLogSpool(const std::vector<const LogKind*>& kinds) {
    std::vector<std::string> names;
    for (const LogKind* k : kinds)
        names.push_back(k->name);
    const std::vector<SpooledLog> logs = takeSpooledLogs(names);
    for (const SpooledLog& log : logs)
        for (const LogKind* k : kinds)
            if (log.kind == k->name) appendRecord(log.file, *k, log.bytes);
    return logs.size();
}

size_t keptLogRecords() {
    Writer& w = writer();
    Locked held(w.lock);
    size_t n = w.writing;
    for (const auto& q : w.queued)
        n += q.second.records.size();
    return n;
}
