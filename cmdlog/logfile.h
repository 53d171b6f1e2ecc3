// One attempt at appending to a log file that several hosts share: the
// file is had by one writer at a time (readers may share it), and bytes go
// in one write at the end found then, or not at all.
#pragma once
#include <windows.h>
#include <string>
#include "common/handles.h"

// What makes one kind of log: the name it is kept under while waiting, its
// header, written first into a new file, the line that says how many
// records were lost past the bound, what its records are called when a
// fault is reported ("journal lines"), and, for a log that has one, the file
// its records go to at once when this one cannot be opened (null: none;
// the records wait for the file).
struct LogKind {
    const char* name;
    std::string (*header)();
    std::string (*lostLine)(unsigned long lost);
    const char* records;
    std::string (*fallback)(const std::string& file);
};

// Opens the log for appending, created when missing; invalid when it cannot
// be had now (another writer holds it, its folder is missing or its server
// gone). Blocks as long as the file's server takes to answer.
FileHandle openLogFile(const std::string& fileName);
// Appends bytes at the end found now, after kind's header when the file is
// empty; false with the file as it was when the end cannot be found or the
// write fails.
bool appendAtEnd(HANDLE file, const LogKind& kind, std::string bytes);
