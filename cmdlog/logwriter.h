// Appending one record to the command log file.
#pragma once
#include <string>
#include "cmdlog/timestamp.h"

// Appends the record (after the header when the file is new) in one write
// while holding a lock, so several hosts can share one log; false when the
// file can be neither opened nor created, or its end cannot be found (the
// record is then dropped rather than written over the start).
bool appendLogRecord(const std::string& fileName, const char* name, TimeStamp start,
                     TimeStamp finish);
