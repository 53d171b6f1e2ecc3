#include "cmdlog/logwriter.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include "cmdlog/logrecord.h"
#include "cmdlog/logspool.h"
#include "common/criticalsection.h"
#include "common/faultpoint.h"
#include "common/handles.h"
#include "common/thismodule.h"
#include "settings/foldercheck.h"

namespace {

// How long this start's records wait for the spool of earlier ones.
const DWORD kReplayWaitMs = 2000;
const unsigned long long kFileTimeDay = 864000000000ull;

unsigned long long fileTimeNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ((unsigned long long)now.dwHighDateTime << 32) | now.dwLowDateTime;
}

// One record, and the spool file it was read from, which stays until every
// record read from it is written or spooled anew.
struct Record {
    std::string bytes;
    std::shared_ptr<HeldSpool> from;
};

// One log file: its queue and the thread that writes it. The records at the
// front that the thread is writing stay queued until written.
struct Target {
    std::string file;
    LogKind kind;
    std::deque<Record> records;
    size_t inFlight = 0;
    unsigned long lost = 0;
    unsigned long long since = 0; // when the oldest record queued was made
    size_t replayed = 0;          // records of the spool put at the front
    unsigned long epoch = 0;      // counts the unload's takings
    bool running = false;         // its thread runs
    bool wanted = false;          // the starter is asked for its thread
    bool idle = false;            // its thread waits for a record
    bool stuck = false;           // its last try failed (or waits), while closing
    bool toldUnwritable = false;  // this start has told that it cannot be made
    FileHandle thread;
    FileHandle wake{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
};

// Every target and what they share. Events: settled (manual) is set when
// nothing is queued, and while closing also when every target left has
// failed its last try; replayed (manual) when the start's spool is queued.
struct Writer {
    CriticalSection lock;
    // Under lock from here on.
    std::map<std::string, std::unique_ptr<Target>> targets;
    int threads = 0;        // writer and replay threads running
    bool closing = false;   // the unload waits for the writers
    bool closed = false;    // the unload spooled what was left
    bool replaying = false; // the start's spool is being read
    bool starter = false;   // the thread that reads it then starts the writers' threads
    bool isSettled = true;  // what settled says, so the host's thread signals only changes
    DWORD replayBegan = 0;
    std::function<void(const std::string&)> report;
    std::function<void(const LogKind&, const std::string&, unsigned long)> unwritable;
    FileHandle settled{CreateEventA(nullptr, TRUE, TRUE, nullptr)};
    FileHandle replayed{CreateEventA(nullptr, TRUE, TRUE, nullptr)};
    FileHandle startWake{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
};

// Kept until the module goes; a thread still running when the process
// ends keeps it, as the process's end takes the thread with it.
struct WriterHolder {
    Writer* writer = new Writer;
    ~WriterHolder() {
        bool idle;
        {
            Locked held(writer->lock);
            idle = writer->threads == 0;
        }
        if (idle) delete writer;
    }
};

Writer& writer() {
    static WriterHolder holder;
    return *holder.writer;
}

// Under the lock: settled when nothing waits, or (while closing) when what
// waits is for files that do not answer.
void updateSettled(Writer& w) {
    bool settled = !w.replaying;
    for (const auto& t : w.targets)
        if (!t.second->records.empty() && !(w.closing && t.second->stuck)) settled = false;
    if (settled == w.isSettled) return;
    w.isSettled = settled;
    if (settled)
        SetEvent(w.settled.get());
    else
        ResetEvent(w.settled.get());
}

// Under the lock: the oldest records not in flight go past the bound.
void dropPastBound(Target& t) {
    while (t.records.size() - t.inFlight > kMaxKeptLogRecords) {
        t.records.erase(t.records.begin() + (std::ptrdiff_t)t.inFlight);
        ++t.lost;
    }
    if (t.replayed > t.records.size()) t.replayed = t.records.size();
}

// A reference on the module the writer's code is in, so an unload while a
// thread waits on a server leaves the code there until it ends; none when
// that code is linked into the program itself. False when a module holds
// the code and no reference can be had: then no thread may run it.
bool holdOwnModule(HMODULE& reference) {
    reference = nullptr;
    if (faultpoint::fails("LoadLibraryW")) return false; // as a path Windows cannot load again
    HMODULE self = thisModule();
    if (!self) return false;
    if (self == GetModuleHandleA(nullptr)) return true;
    // The wide path, whatever its characters; a path too long to load again
    // gives no reference.
    std::vector<wchar_t> path(32768);
    const DWORD n = GetModuleFileNameW(self, path.data(), (DWORD)path.size());
    if (n == 0 || n >= path.size()) return false;
    HMODULE again = LoadLibraryW(path.data());
    if (again != self) {
        if (again) FreeLibrary(again);
        return false;
    }
    reference = again;
    return true;
}

struct ThreadStart {
    Target* target; // null for the replay
    HMODULE reference;
    std::vector<const LogKind*> kinds;
};

DWORD WINAPI threadMain(void* param);

// A thread of the writer's holding the module, made suspended, or null when
// none can be made (no hold, no memory, no thread). Needs no lock.
HANDLE createThread(Target* target, std::vector<const LogKind*> kinds) {
    HMODULE reference = nullptr;
    ThreadStart* start = nullptr;
    try {
        if (!holdOwnModule(reference)) return nullptr;
        start = new ThreadStart{target, reference, std::move(kinds)};
    } catch (...) {
        if (reference) FreeLibrary(reference);
        return nullptr;
    }
    DWORD id;
    HANDLE thread = CreateThread(nullptr, 0, threadMain, start, CREATE_SUSPENDED, &id);
    if (!thread) {
        delete start;
        if (reference) FreeLibrary(reference);
    }
    return thread;
}

// Under the lock: the thread made for target (null: the replay) counted
// in and let run.
void adoptThread(Writer& w, Target* target, HANDLE thread) {
    ++w.threads;
    ResumeThread(thread);
    if (!target) {
        CloseHandle(thread);
        return;
    }
    target->thread.reset(thread);
    target->running = true;
}

// Under the lock: a thread of the writer's, holding the module. False when
// none could be made (the records stay queued for the unload's spool).
bool startThread(Writer& w, Target* target, std::vector<const LogKind*> kinds = {}) {
    HANDLE thread = createThread(target, std::move(kinds));
    if (!thread) return false;
    adoptThread(w, target, thread);
    return true;
}

void reportFault(Writer& w, const std::string& sentence) {
    std::function<void(const std::string&)> report;
    {
        Locked held(w.lock);
        report = w.report;
    }
    if (report) report(sentence);
}

// The file cannot be opened for that error: told once a start when it
// lasts until someone changes the folder.
void tellUnwritable(Writer& w, Target& t, DWORD error) {
    if (!foldercheck::lastsUntilChanged(error)) return;
    std::function<void(const LogKind&, const std::string&, unsigned long)> tell;
    {
        Locked held(w.lock);
        if (t.toldUnwritable) return;
        t.toldUnwritable = true;
        tell = w.unwritable;
    }
    if (tell) tell(t.kind, t.file, error);
}

std::string countOf(size_t n, const LogKind& kind) {
    return std::to_string(n) + " " + kind.records;
}

// Under the lock: the target's thread runs, or is asked for. From the
// host's thread a thread is not made there but by the starter, when it
// runs: making one costs the host a round trip it does not wait for.
void ensureThread(Writer& w, Target& t, bool hostThread) {
    if (t.running) return;
    if (hostThread && w.starter) {
        t.wanted = true;
        SetEvent(w.startWake.get());
        return;
    }
    startThread(w, &t);
}

// This start's records wait for the spool of earlier ones, a while at most.
void waitForReplay(Writer& w) {
    DWORD waited;
    {
        Locked held(w.lock);
        if (!w.replaying) return;
        waited = GetTickCount() - w.replayBegan;
    }
    if (waited < kReplayWaitMs) WaitForSingleObject(w.replayed.get(), kReplayWaitMs - waited);
}

Target& targetFor(Writer& w, const std::string& file, const LogKind& kind);

// One pass over a target: open, write what is queued now, and take it off
// the queue once written. False when the file could not be had or written.
bool writePass(Writer& w, Target& t) {
    FileHandle file = openLogFile(t.file);
    if (!file.valid()) {
        tellUnwritable(w, t, GetLastError());
        std::string other = t.kind.fallback ? t.kind.fallback(t.file) : std::string();
        if (other.empty() || _stricmp(other.c_str(), t.file.c_str()) == 0) return false;
        // A log with a fallback: everything queued goes there at once.
        Locked held(w.lock);
        Target& to = targetFor(w, other, t.kind);
        for (Record& r : t.records)
            to.records.push_back(std::move(r));
        to.lost += t.lost;
        to.since = to.since ? std::min(to.since, t.since) : t.since;
        t.records.clear();
        t.lost = 0;
        t.replayed = 0;
        dropPastBound(to);
        ensureThread(w, to, false);
        SetEvent(to.wake.get());
        return true;
    }
    std::string bytes;
    size_t count;
    unsigned long lost, epoch;
    {
        Locked held(w.lock);
        count = t.records.size();
        lost = t.lost;
        epoch = t.epoch;
        t.inFlight = count;
        if (lost) bytes = t.kind.lostLine(lost);
        for (size_t i = 0; i < count; ++i)
            bytes += t.records[i].bytes;
    }
    const bool written = count == 0 && lost == 0 ? true : appendAtEnd(file.get(), t.kind, bytes);
    std::vector<Record> done; // let go of spool files outside the lock
    Locked held(w.lock);
    t.inFlight = 0;
    if (!written) return false;
    if (t.epoch != epoch) return true; // the unload spooled them meanwhile
    for (size_t i = 0; i < count; ++i) {
        done.push_back(std::move(t.records.front()));
        t.records.pop_front();
    }
    t.replayed = t.replayed > count ? t.replayed - count : 0;
    t.lost -= std::min(t.lost, lost);
    if (t.records.empty()) t.since = 0;
    return true;
}

void writerLoop(Writer& w, Target& t) {
    for (;;) {
        bool empty;
        {
            Locked held(w.lock);
            empty = t.records.empty() && t.lost == 0;
            if (empty) {
                t.stuck = false;
                updateSettled(w);
                if (w.closing || w.closed) {
                    t.running = false;
                    return;
                }
                t.idle = true;
            }
        }
        if (empty) {
            WaitForSingleObject(t.wake.get(), INFINITE);
            Locked held(w.lock);
            t.idle = false;
            continue;
        }
        waitForReplay(w);
        bool written = false;
        try {
            written = writePass(w, t);
        } catch (...) {
            // No memory for the batch: the records stay queued for the next try.
            Locked held(w.lock);
            t.inFlight = 0;
        }
        if (written) continue;
        {
            Locked held(w.lock);
            t.stuck = true;
            updateSettled(w); // the unload need not wait for this one
        }
        WaitForSingleObject(t.wake.get(), kLogRetryMs);
    }
}

// The start's spool, read on this thread: each log's records go to the
// front of its file's queue, after what earlier spool files held.
void replayLoop(Writer& w, const std::vector<const LogKind*>& kinds) {
    std::vector<std::string> names, setAside;
    for (const LogKind* k : kinds)
        names.push_back(k->name);
    std::vector<TakenSpool> spools = takeSpools(names, &setAside);
    {
        Locked held(w.lock);
        for (TakenSpool& spool : spools)
            for (SpooledLog& log : spool.logs) {
                const LogKind* kind = nullptr;
                for (const LogKind* k : kinds)
                    if (log.kind == k->name) kind = k;
                if (!kind) continue;
                Target& t = targetFor(w, log.file, *kind);
                size_t at = std::max(t.replayed, t.inFlight);
                for (std::string& bytes : log.records)
                    t.records.insert(t.records.begin() + (std::ptrdiff_t)at++,
                                     Record{std::move(bytes), spool.file});
                t.replayed = at;
                t.lost += log.lost;
                if (log.since) t.since = t.since ? std::min(t.since, log.since) : log.since;
                dropPastBound(t);
                ensureThread(w, t, false);
                SetEvent(t.wake.get());
            }
        w.replaying = false;
        SetEvent(w.replayed.get());
        updateSettled(w);
    }
    for (const std::string& bad : setAside)
        reportFault(w, "a spool file of an unknown format was set aside as " + bad +
                           ": its lines could not be kept");
}

// After the replay: the writers' threads the host's thread asks for, each
// made with the lock let go, so the host's thread never waits for that.
void starterLoop(Writer& w) {
    for (;;) {
        WaitForSingleObject(w.startWake.get(), INFINITE);
        std::vector<Target*> wanted;
        bool closing = false;
        try {
            Locked held(w.lock);
            // Those asked for before the unload too: it waits for them.
            for (const auto& entry : w.targets) {
                Target& t = *entry.second;
                if (!t.wanted) continue;
                if (!t.running) wanted.push_back(&t);
                t.wanted = false;
                t.running = true; // no one else makes it meanwhile
            }
            closing = w.closing || w.closed;
        } catch (...) {
            // No memory to list them: those not listed stay asked for.
            Locked held(w.lock);
            for (Target* t : wanted) {
                t->wanted = true;
                t->running = false;
            }
            wanted.clear(); // the next record asks again
            closing = w.closing || w.closed;
        }
        for (Target* t : wanted) {
            HANDLE thread = createThread(t, {});
            Locked held(w.lock);
            if (!thread) {
                t->running = false; // the next record asks again; the unload spools
                continue;
            }
            adoptThread(w, t, thread);
            SetEvent(t->wake.get());
        }
        if (closing) {
            Locked held(w.lock);
            w.starter = false;
            return;
        }
    }
}

DWORD WINAPI threadMain(void* param) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(param));
    Writer& w = writer();
    if (start->target) {
        writerLoop(w, *start->target);
    } else {
        try {
            replayLoop(w, start->kinds);
        } catch (...) {
            // No memory to read the spool: it stays for a later start.
            Locked held(w.lock);
            w.replaying = false;
            SetEvent(w.replayed.get());
            updateSettled(w);
        }
        starterLoop(w);
    }
    HMODULE reference = start->reference;
    start.reset();
    {
        Locked held(w.lock);
        --w.threads; // its last use of the writer
    }
    if (reference) FreeLibraryAndExitThread(reference, 0);
    return 0;
}

// Under the lock: the target for the file, made when new.
Target& targetFor(Writer& w, const std::string& file, const LogKind& kind) {
    std::unique_ptr<Target>& t = w.targets[file];
    if (!t) {
        t.reset(new Target);
        t->file = file;
        t->kind = kind;
    }
    return *t;
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

const LogKind kCommandLog = {"command-log", commandLogHeader, commandLogLost, "command records",
                             nullptr};

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
    // A record after an unload (the module loaded again): the writers serve on.
    w.closing = w.closed = false;
    Target& t = targetFor(w, fileName, kind);
    if (t.records.empty()) t.since = fileTimeNow();
    t.records.push_back(Record{std::move(record), nullptr});
    dropPastBound(t);
    // Each signal is a round trip on some systems: only those that change
    // something.
    updateSettled(w);
    ensureThread(w, t, true);
    if (t.idle) {
        t.idle = false;
        SetEvent(t.wake.get());
    }
    return true;
}

bool waitLogWritten(unsigned long waitMs) {
    Writer& w = writer();
    WaitForSingleObject(w.settled.get(), waitMs);
    Locked held(w.lock);
    if (w.replaying) return false;
    for (const auto& t : w.targets)
        if (!t.second->records.empty() || t.second->lost) return false;
    return true;
}

bool closeLogWriter(unsigned long waitMs) {
    Writer& w = writer();
    std::vector<HANDLE> threads;
    {
        Locked held(w.lock);
        w.closing = true;
        SetEvent(w.startWake.get()); // the starter ends
        for (const auto& t : w.targets) {
            t.second->stuck = false;
            SetEvent(t.second->wake.get());
            if (t.second->running) threads.push_back(t.second->thread.get());
        }
        updateSettled(w);
    }
    const DWORD began = GetTickCount();
    WaitForSingleObject(w.settled.get(), waitMs);
    // What is left, in flight or not, goes to the spool; records of a file
    // unreachable for thirty days are reported instead.
    std::vector<SpooledLog> left;
    std::vector<const LogKind*> leftKinds;
    std::vector<Record> taken;   // held until the spool is written
    std::vector<Record> dropped; // reported: their spool files may go
    std::vector<std::string> expired;
    const unsigned long long now = fileTimeNow();
    {
        Locked held(w.lock);
        for (const auto& entry : w.targets) {
            Target& t = *entry.second;
            if (t.records.empty() && t.lost == 0) continue;
            SpooledLog log;
            log.kind = t.kind.name;
            log.file = t.file;
            log.since = t.since;
            log.lost = t.lost;
            const bool tooOld =
                t.since && now > t.since && now - t.since > kSpoolMaxAgeDays * kFileTimeDay;
            for (Record& r : t.records) {
                log.records.push_back(r.bytes);
                (tooOld ? dropped : taken).push_back(std::move(r));
            }
            if (tooOld) {
                expired.push_back(countOf(log.records.size(), t.kind) + " for " + t.file +
                                  ", unreachable for " + std::to_string(kSpoolMaxAgeDays) +
                                  " days, could not be kept");
            } else {
                left.push_back(std::move(log));
                leftKinds.push_back(&t.kind);
            }
            t.records.clear();
            t.lost = 0;
            t.replayed = 0;
            t.since = 0;
            ++t.epoch;
        }
        w.closed = true;
        updateSettled(w);
    }
    std::string why;
    const bool spooled = spoolLogs(left, &why);
    if (!spooled) {
        // The spool files read at this start stay for a later one.
        for (Record& r : taken)
            if (r.from) r.from->keep();
        for (size_t i = 0; i < left.size(); ++i)
            reportFault(w, countOf(left[i].records.size(), *leftKinds[i]) + " for " +
                               left[i].file + " could not be kept: " + why);
    }
    for (const std::string& sentence : expired)
        reportFault(w, sentence);
    taken.clear(); // a spool file whose records are all written or spooled anew goes
    // A thread that is not waiting on a server ends now, and with it its
    // hold on the module, so the host's unload really unloads.
    for (HANDLE thread : threads) {
        const DWORD gone = GetTickCount() - began;
        if (gone >= waitMs) break;
        WaitForSingleObject(thread, waitMs - gone);
    }
    return spooled && expired.empty();
}

void replayLogSpool(const std::vector<const LogKind*>& kinds) {
    Writer& w = writer();
    Locked held(w.lock);
    if (w.replaying) return;
    w.replaying = true;
    w.replayBegan = GetTickCount();
    ResetEvent(w.replayed.get());
    updateSettled(w);
    ResetEvent(w.startWake.get());
    w.closing = w.closed = false;
    for (const auto& t : w.targets)
        t.second->toldUnwritable = false; // a new start tells again
    w.starter = startThread(w, nullptr, kinds);
    if (!w.starter) {
        // No thread may read it: the spool waits for a later start.
        w.replaying = false;
        SetEvent(w.replayed.get());
        updateSettled(w);
    }
}

void prepareLog(const std::string& fileName, const LogKind& kind) {
    if (fileName.empty()) return;
    Writer& w = writer();
    Locked held(w.lock);
    ensureThread(w, targetFor(w, fileName, kind), true);
}

size_t keptLogRecords() {
    Writer& w = writer();
    Locked held(w.lock);
    size_t n = 0;
    for (const auto& t : w.targets)
        n += t.second->records.size();
    return n;
}

void onLogFault(std::function<void(const std::string& sentence)> report) {
    Writer& w = writer();
    Locked held(w.lock);
    w.report = std::move(report);
}

void onLogUnwritable(
    std::function<void(const LogKind& kind, const std::string& file, unsigned long error)> tell) {
    Writer& w = writer();
    Locked held(w.lock);
    w.unwritable = std::move(tell);
}
