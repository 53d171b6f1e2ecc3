// Appending records to the command log file. A log that another program
// holds never stalls the host: what cannot be written now is kept, in
// order, and written by the next record, the next tick or the unload.
#pragma once
#include <cstddef>
#include <string>
#include "cmdlog/timestamp.h"

// Records kept for one file at most; past it the oldest are dropped and
// one line saying how many is written when the file opens again.
constexpr size_t kMaxKeptLogRecords = 10000;
// How long a record after one that was kept goes without trying the file
// again; the tick and the unload always try.
constexpr unsigned long kLogRetryMs = 250;
// How long the unload waits for a log another writer holds.
constexpr unsigned long kLogUnloadWaitMs = 500;

// Appends the record after every record kept for the file, in one write
// with the file open to this writer alone (readers may share it), so
// several hosts can share one log; the header goes first when the file is
// new. One attempt, none within kLogRetryMs of the last one that failed:
// when the file is held, unreachable, or its end cannot be found, the
// record is kept (false). False too for an empty file name,
// which names no log: that record is dropped.
bool appendLogRecord(const std::string& fileName, const char* name, TimeStamp start,
                     TimeStamp finish);
// What makes one kind of log: its header, written first into a new file,
// and the line that says how many records were lost past the bound.
struct LogKind {
    std::string (*header)();
    std::string (*lostLine)(unsigned long lost);
};
// The same for any kind of log: record is whole lines.
bool appendRecord(const std::string& fileName, const LogKind& kind, std::string record);
// Writes what is kept, one attempt per file; with waitMs, tries again for
// up to that long while another writer holds a file. True when nothing is
// kept afterwards.
bool flushKeptLogRecords(unsigned long waitMs = 0);
// Records kept and not yet written, over every file.
size_t keptLogRecords();
