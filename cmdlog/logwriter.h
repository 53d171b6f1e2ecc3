// Appending records to the command log and the journal. The host's thread
// never touches a log file: a record is handed to a queue, and one writer
// thread of the module's own writes it, so a log another program holds, or
// one on a server that does not answer, never stalls the host. What the
// writer has not written by the unload is spooled and written at the next
// start, ahead of that start's records.
#pragma once
#include <cstddef>
#include <string>
#include <vector>
#include "cmdlog/logfile.h"
#include "cmdlog/timestamp.h"

// Records queued for one file at most; past it the oldest are dropped and
// one line saying how many is written when the file opens again.
constexpr size_t kMaxKeptLogRecords = 10000;
// How long the writer waits before trying again a file it could not have.
constexpr unsigned long kLogRetryMs = 250;
// How long the unload waits for the writer before spooling what is left.
constexpr unsigned long kLogUnloadWaitMs = 2000;

// The command log's kind.
const LogKind& commandLogKind();
// Queues the command record for the file. False for an empty file name,
// which names no log: that record is dropped.
bool appendLogRecord(const std::string& fileName, const char* name, TimeStamp start,
                     TimeStamp finish);
// The same for any kind of log: record is whole lines, written after every
// record queued before it for the file, in one write with the file open to
// the writer alone (readers may share it), so several hosts can share one
// log; the header goes first when the file is new.
bool appendRecord(const std::string& fileName, const LogKind& kind, std::string record);
// Waits up to waitMs for the writer to have written everything queued;
// true when it has.
bool waitLogWritten(unsigned long waitMs);
// At unload: waits up to waitMs for the writer, spools what it has not
// written, and lets the writer end. True when everything was written.
bool closeLogWriter(unsigned long waitMs);
// At start: queues what earlier unloads spooled, of these kinds, ahead of
// anything queued after it. How many logs it held.
size_t replayLogSpool(const std::vector<const LogKind*>& kinds);
// Records queued and not yet written, over every file.
size_t keptLogRecords();
