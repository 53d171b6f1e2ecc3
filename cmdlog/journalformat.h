// The session journal's text: one CSV line per event, standard quoting,
// CR LF line ends. Pure text functions, free of the platform.
#pragma once
#include <string>
#include <utility>
#include <vector>

// The header row, the first line of a new journal.
constexpr const char* kJournalColumns =
    "time,computer,user,session,event,seconds,drawing,action,status,detail";

// The events, as the writers name them and the report reads them.
namespace journalevent {
constexpr char kStart[] = "start";              // the module started; detail: the settings
constexpr char kSettings[] = "settings";        // the settings in effect changed; detail: them
constexpr char kQuiet[] = "quiet";              // a quiet stretch of a minute or more ended
constexpr char kCountdown[] = "countdown";      // the countdown window appeared
constexpr char kCancelled[] = "cancelled";      // the countdown's Cancel
constexpr char kDisabled[] = "disabled";        // the countdown's Disable
constexpr char kExpired[] = "expired";          // the idle time ran out
constexpr char kWouldExpire[] = "would-expire"; // trial run: the idle time ran out
constexpr char kWouldCancel[] = "would-cancel"; // trial run: what would be cancelled
constexpr char kWouldClose[] = "would-close";   // trial run: a drawing
constexpr char kWaitingCancelled[] = "waiting-cancelled"; // what waited, cancelled
constexpr char kLeftOpen[] = "left-open";                 // a drawing the close left open
constexpr char kClosed[] = "closed";                      // a drawing saved or discarded
constexpr char kRescued[] = "rescued";                    // a drawing saved to a rescue copy
constexpr char kHostClosed[] = "host-closed";             // the module closed the host
constexpr char kEnd[] = "end";                            // unload; detail: who ended the host
constexpr char kKept[] = "kept";             // licences were free: the idle seat stays open
constexpr char kWouldKeep[] = "would-keep"; // trial run: the same
constexpr char kLicenseUnknown[] = "license-unknown"; // the server's answer did not tell; why
constexpr char kLost[] = "lost"; // lines that could not be written, counted
constexpr char kLogUnwritable[] = "log-unwritable"; // the command log's folder; detail: why
} // namespace journalevent

// One event, its fields named where it is made:
//   JournalEvent(journalevent::kClosed).withDrawing(name).withAction(2).withStatus(1)
// Numbers below 0 leave their column empty.
struct JournalEvent {
    JournalEvent() = default;
    explicit JournalEvent(std::string name) : event(std::move(name)) {}
    JournalEvent& withSeconds(long long value) {
        seconds = value;
        return *this;
    }
    JournalEvent& withDrawing(std::string value) {
        drawing = std::move(value);
        return *this;
    }
    JournalEvent& withAction(int value) {
        action = value;
        return *this;
    }
    JournalEvent& withStatus(int value) {
        status = value;
        return *this;
    }
    JournalEvent& withDetail(std::string value) {
        detail = std::move(value);
        return *this;
    }
    std::string event;
    long long seconds = -1;
    std::string drawing;
    int action = -1;
    int status = -1;
    std::string detail;
};

// Local time with its offset from UTC.
struct JournalTime {
    int year, month, day, hour, minute, second;
    int offsetMinutes; // east of UTC positive
};

// "2026-12-08T14:35:02+01:00".
std::string journalTimeText(const JournalTime& t);
// A field quoted when it holds a comma, a quote, a CR or an LF; quotes
// doubled. One a spreadsheet would run as a formula (starting with =, +, -,
// @, a tab or a CR) gets a ' before it, as does one starting with ' and one
// of those or another '.
std::string csvField(const std::string& text);
// The field as it was before csvField's mark.
std::string unmarkedField(std::string field);
// The line for an event, ending in CR LF.
std::string journalLine(const std::string& time, const std::string& computer,
                        const std::string& user, const std::string& session, const JournalEvent& e);
// The fields of one CSV line (without its line end), csvField's marks taken
// off; false when a quoted field is not closed.
bool splitCsvLine(const std::string& line, std::vector<std::string>& fields);
