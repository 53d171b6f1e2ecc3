// Records the unload could not write, kept in the user's temporary folder
// until the next start writes them. Each unload that leaves some writes one
// spool file of its own, so hosts on one computer never share one.
#pragma once
#include <string>
#include <vector>

// Everything left for one log file, in order.
struct SpooledLog {
    std::string kind;  // the kind of log, by its name
    std::string file;  // the log file it was meant for
    std::string bytes; // whole lines
};

// "<temporary folder>\tarnel-spool".
std::string logSpoolFolder();
// Writes logs to a new spool file, whole or not at all; false when it
// could not be written.
bool spoolLogs(const std::vector<SpooledLog>& logs);
// The logs of every spool file, oldest file first, each file removed once
// read. A file that is not a whole spool, or names a kind not in kinds, is
// renamed to "<name>.bad" and left for a person to look at; one another
// host is reading is left to it.
std::vector<SpooledLog> takeSpooledLogs(const std::vector<std::string>& kinds);
