// Appending records to the command log, the journal and the report log. The
// host's thread never touches a log file: a record is handed to a queue,
// and a writer thread of the module's own for each file writes it, so a log
// another program holds, or one on a server that does not answer, never
// stalls the host, nor holds up another file's records. A record leaves
// its queue only once written; what is not written by the unload
// (in flight included) is spooled and written at a later start, ahead of
// that start's records. Nothing is lost without a word: records the bound,
// a failed spool or thirty days of an unreachable folder cost are reported.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>
#include "cmdlog/logfile.h"
#include "cmdlog/timestamp.h"

// Records queued for one file at most; past it the oldest are dropped and
// one line saying how many is written when the file opens again.
constexpr size_t kMaxKeptLogRecords = 10000;
// How long a writer waits before trying again a file it could not have.
constexpr unsigned long kLogRetryMs = 250;
// How long the unload waits for the writers before spooling what is left.
constexpr unsigned long kLogUnloadWaitMs = 2000;
// Records for a file that has not been written for this long are spooled no
// more: they are reported as lost.
constexpr unsigned long long kSpoolMaxAgeDays = 30;

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
// Waits up to waitMs for the writers to have written everything queued (and
// what the start's spool held); true when they have.
bool waitLogWritten(unsigned long waitMs);
// At unload: waits up to waitMs for the writers, spools what they have not
// written, and lets them end. True when everything was written or spooled.
bool closeLogWriter(unsigned long waitMs);
// At start: what earlier unloads spooled, of these kinds, is read on a
// thread of the writer's and queued ahead of this start's records (which
// wait for it two seconds at most); a spool file goes once its records are
// written or spooled anew.
void replayLogSpool(const std::vector<const LogKind*>& kinds);
// At start, for each file the settings name: its writer's thread is made
// now (by the writer's own thread), not at the first record.
void prepareLog(const std::string& fileName, const LogKind& kind);
// Records queued and not yet written, over every file.
size_t keptLogRecords();
// Who hears of records that could not be kept (a spool that could not be
// written, one of an unknown format, a file unreachable for thirty days):
// one sentence each time, from whichever thread found it (the host's at
// the unload). Empty: nobody.
void onLogFault(std::function<void(const std::string& sentence)> report);
// Who hears of a log file that cannot be made or opened for a reason that
// lasts until someone changes its folder (missing, refused, a name too
// long; not another program holding it, nor a server away): the file and
// Windows' error, once per file for each start (replayLogSpool), from the
// file's writer thread. The records stay queued as for any other failure.
void onLogUnwritable(
    std::function<void(const LogKind& kind, const std::string& file, unsigned long error)> tell);
