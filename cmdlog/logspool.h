// Records the unload could not write, kept in the user's temporary folder
// until a later start writes them. Each unload that leaves some writes one
// spool file of its own (named by the time, the process and a count), so
// hosts on one computer never share one. A spool file read at a start is
// held open, and deleted only once every record in it has been written to
// its log or spooled anew: a host that crashes meanwhile loses nothing.
#pragma once
#include <memory>
#include <string>
#include <vector>

// Everything left for one log file: its records in order (each whole
// lines), how many were lost past the bound, and since when (FILETIME, as
// one number) the oldest of them waits.
struct SpooledLog {
    std::string kind; // the kind of log, by its name
    std::string file; // the log file it was meant for
    unsigned long long since = 0;
    unsigned long lost = 0;
    std::vector<std::string> records;
    std::string bytes() const; // the records one after another
};

// "<temporary folder>\tarnel-spool", or empty when Windows gives no
// temporary folder (the host's current folder is no place for it).
std::string logSpoolFolder();
// Writes logs to a new spool file, whole or not at all; false, with why,
// when it could not be written.
bool spoolLogs(const std::vector<SpooledLog>& logs, std::string* why = nullptr);

// A spool file read and held: deleted when the last record read from it
// lets go, unless keep() was said (its records could not be written or
// spooled anew, so the file stays for a later start).
class HeldSpool {
  public:
    HeldSpool(void* handle, std::string path);
    ~HeldSpool();
    HeldSpool(const HeldSpool&) = delete;
    HeldSpool& operator=(const HeldSpool&) = delete;
    void keep() { keep_ = true; }
    const std::string& path() const { return path_; }

  private:
    void* handle_;
    std::string path_;
    bool keep_ = false;
};

struct TakenSpool {
    std::shared_ptr<HeldSpool> file;
    std::vector<SpooledLog> logs;
};

// Every spool file, oldest first, read and held. A file that is not a whole
// spool of a known format, or names a kind not in kinds, is renamed to
// "<name>.bad" and named in setAside; one another host holds is left to it.
// A spool of the earlier format ("Tarnel spool 1": one text per file) is
// read line by line, each line a record.
std::vector<TakenSpool> takeSpools(const std::vector<std::string>& kinds,
                                   std::vector<std::string>* setAside = nullptr);
// The same, every file deleted at once: what the spool holds now.
std::vector<SpooledLog> takeSpooledLogs(const std::vector<std::string>& kinds);
