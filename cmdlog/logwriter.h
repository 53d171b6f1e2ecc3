// Appending one record to the command log file.
#pragma once
#include <string>
#include "cmdlog/timestamp.h"

// How long a record waits for another host that is writing the same log.
constexpr unsigned long kLogWriterWaitMs = 500;

// Appends the record (after the header when the file is new) in one write
// with the file open to this writer alone, so several hosts can share one
// log; false when the file can be neither opened nor created, another
// writer held it for longer than the wait, or its end cannot be found (the
// record is then dropped rather than written over the start).
bool appendLogRecord(const std::string& fileName, const char* name, TimeStamp start,
                     TimeStamp finish);
