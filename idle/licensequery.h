// The licence server asked on a thread of its own: the status tool run
// without a window, its output read through a pipe, and the tool ended when
// it has not answered in time. The host's thread only starts a question and
// looks for its answer at later ticks; it never waits for either.
#pragma once
#include <windows.h>
#include <string>
#include "idle/licensestatus.h"

struct LicenseQuestion {
    std::string tool; // the status tool's path, or a name found on PATH
    std::string server;
    std::string feature;
    DWORD timeoutMs = 15000;
};

// The command line a question runs: TOOL lmstat -c SERVER -f FEATURE -t 10.
std::string licenseCommandLine(const LicenseQuestion& question);
// The tool a seat runs: the setting when it names one, else lmutil.exe in
// the module's folder when it is there, else lmutil.exe as PATH finds it.
std::string licenseTool(const std::string& setting, const std::string& moduleFolder);

class LicenseQuery {
  public:
    LicenseQuery() = default;
    ~LicenseQuery(); // a question still out is dropped, not waited for
    LicenseQuery(const LicenseQuery&) = delete;
    LicenseQuery& operator=(const LicenseQuery&) = delete;

    // Starts a question; one still out is dropped first. False, with the
    // reason in status, when no thread could be started.
    bool ask(const LicenseQuestion& question, LicenseStatus& status);
    // Whether a question is out and not yet answered.
    bool asking() const { return shared_ != nullptr; }
    // True once, when the question's answer is in: the counts, or why not
    // ("no answer within 15 seconds", "the status tool could not be
    // started: ...").
    bool answered(LicenseStatus& status);
    // The answer of the question out is dropped when it comes.
    void drop();

    // What the asking thread and the host's side share.
    struct Shared;

  private:
    Shared* shared_ = nullptr;
};
