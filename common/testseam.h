// Switches that only tests turn. Production code reads them and never sets
// them; without a test nothing here changes what the module does.
#pragma once
#include <functional>

namespace testseam {

// The folder chooser's choice of dialog, once the system was asked.
enum class FolderDialog { AsSystem, Shell, OldStyle };

struct Switches {
    // How long the countdown's caption stays flashed: 500 ms; long runs of
    // the state machine shorten it.
    unsigned long flashPauseMs = 500;
    FolderDialog folderDialog = FolderDialog::AsSystem;
    // How long the licence server's status tool may take: 15 seconds.
    unsigned long licenseTimeoutMs = 15000;
    // Told of each beep ("beep") and flash ("flash") of the countdown with
    // the seconds left, so a test can check their cadence.
    std::function<void(const char* what, int remaining)> countdownSignal;
};

inline Switches& switches() {
    static Switches s;
    return s;
}

inline void countdownSignal(const char* what, int remaining) {
    if (switches().countdownSignal) switches().countdownSignal(what, remaining);
}

// Switches set for the life of the scope, and put back on every way out.
class Scope {
  public:
    explicit Scope(Switches s) : saved_(switches()) { switches() = std::move(s); }
    ~Scope() { switches() = saved_; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

  private:
    Switches saved_;
};

} // namespace testseam
