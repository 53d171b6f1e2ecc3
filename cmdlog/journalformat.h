// The session journal's text: one CSV line per event, standard quoting,
// CR LF line ends. Pure text functions, free of the platform.
#pragma once
#include <string>
#include <utility>
#include <vector>

// The header row, the first line of a new journal.
constexpr const char* kJournalColumns =
    "time,computer,user,session,event,seconds,drawing,action,status,detail";

// One event. Numbers below 0 leave their column empty.
struct JournalEvent {
    JournalEvent(std::string event = {}, long long seconds = -1, std::string drawing = {},
                 int action = -1, int status = -1, std::string detail = {})
        : event(std::move(event)), seconds(seconds), drawing(std::move(drawing)), action(action),
          status(status), detail(std::move(detail)) {}
    std::string event;
    long long seconds;
    std::string drawing;
    int action;
    int status;
    std::string detail;
};

// Local time with its offset from UTC.
struct JournalTime {
    int year, month, day, hour, minute, second;
    int offsetMinutes; // east of UTC positive
};

// "2026-12-08T14:35:02+01:00".
std::string journalTimeText(const JournalTime& t);
// A field quoted when it holds a comma, a quote, a CR or an LF; quotes doubled.
std::string csvField(const std::string& text);
// The line for an event, ending in CR LF.
std::string journalLine(const std::string& time, const std::string& computer,
                        const std::string& user, const std::string& session, const JournalEvent& e);
// The fields of one CSV line (without its line end); false when a quoted
// field is not closed.
bool splitCsvLine(const std::string& line, std::vector<std::string>& fields);
