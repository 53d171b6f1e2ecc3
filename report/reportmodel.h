// The usage report's figures from session journals. Lines are read one at a
// time and kept per session in a compact form, each line once however often
// it is given; the figures are made at finish(), from each seat and user's
// events in time order. Days are clock days of each seat: hours are split at
// its midnight. Pure logic, free of the platform.
#pragma once
#include <array>
#include <climits>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The what-if's timeouts, in minutes.
const std::vector<int>& whatIfMinutes();

struct ReportOptions {
    // Local days "YYYY-MM-DD" of each seat; empty: no bound. Sessions and
    // stretches across a bound are cut there.
    std::string from, to;
    // Working hours, [workFrom, workTo) local, Monday to Friday.
    int workFrom = 8, workTo = 18;
};

struct DayFigures {
    int sessions = 0; // sessions started that day
    double secondsOpen = 0;
    double secondsIdle = 0;
    double secondsFreed = 0;
    int closes = 0; // the module closed AutoCAD
    int saved = 0, discarded = 0, rescued = 0;
    int waitingCancelled = 0;
    int countdownsCancelled = 0;
    DayFigures& operator+=(const DayFigures& o);
    // Hours open less idle hours.
    double secondsActive() const {
        return secondsOpen > secondsIdle ? secondsOpen - secondsIdle : 0;
    }
};

// One timeout of the what-if, over every absence.
struct WhatIfRow {
    int minutes = 0;
    long closes = 0;                   // absences of at least the timeout
    double secondsFreed = 0;           // each such absence less the timeout
    double secondsFreedWorking = 0;    // the same within working hours
    long backWithin10 = 0;             // absences the user ended within 10 minutes of the close
    int seatsLive = 0, seatsTrial = 0; // sessions started with it in force, live or trial run
};

class UsageReport {
  public:
    explicit UsageReport(ReportOptions options);
    // One line of a journal file; the header row and a UTF-8 mark are
    // taken; a line that cannot be read (a torn line, NUL bytes, a date
    // outside 2000-2100) is counted as skipped.
    void addLine(const std::string& line);
    void addLine(const char* text, size_t size);
    // Every line of a journal file; false when it cannot be opened.
    bool readFile(const std::string& path);
    // Makes the figures; a session without an `end` ends at its last line.
    void finish();

    const ReportOptions& options() const { return options_; }
    long linesRead() const { return lines_; }
    long linesSkipped() const { return skipped_; }
    long linesRepeated() const { return repeated_; }
    // The first and last local day with a line in the period; empty when none.
    const std::string& firstDay() const { return firstDay_; }
    const std::string& lastDay() const { return lastDay_; }
    // user -> day -> figures.
    const std::map<std::string, std::map<std::string, DayFigures>>& perUserDay() const {
        return days_;
    }
    // computer -> figures over the period.
    const std::map<std::string, DayFigures>& perComputer() const { return computers_; }
    // day -> most sessions open at once at any moment of it.
    const std::map<std::string, int>& peakSessions() const { return peak_; }
    // weekday (0 Monday) x hour: session-hours open.
    const std::array<std::array<double, 24>, 7>& heat() const { return heat_; }
    // The standard timeouts and any in force, in order.
    const std::vector<WhatIfRow>& whatIf() const { return whatIf_; }
    // Hours freed by Tarnel's closes within working hours.
    double secondsFreedWorking() const { return freedWorking_; }

    // One event, as kept.
    struct Event {
        long long utc = 0;
        long long seconds = 0;
        std::uint32_t hash = 0; // of the whole line: identical lines count once
        int offset = 0;
        std::int16_t timeout = -1; // start: TimeInactivity in minutes
        std::uint8_t code = 0;
        std::uint8_t flag = 0; // closed: discarded; end: by the user; start: trial run
    };

  private:
    struct Session {
        std::string computer, user;
        std::vector<Event> events;
    };
    struct Interval {
        long long from, to;
        int offset;
        bool returned = true; // an absence the user ended, not the report's end
    };
    void figureSeat(const std::vector<Session*>& sessions);
    void addOpen(const std::string& user, const std::string& computer, const Interval& i);
    // The what-if of every absence.
    void whatIfFrom();
    long long periodStart(int offset) const;
    long long periodEnd(int offset) const;
    ReportOptions options_;
    long long fromDays_, toDays_; // days since 1970 of the bounds, or none
    long lines_ = 0, skipped_ = 0, repeated_ = 0;
    long long latest_ = 0; // the last line's time
    std::string firstDay_, lastDay_;
    long long firstDayNumber_ = LLONG_MAX, lastDayNumber_ = LLONG_MIN;
    std::map<std::string, Session> sessions_; // computer + session id
    std::map<std::string, std::map<std::string, DayFigures>> days_;
    std::map<std::string, DayFigures> computers_;
    std::map<std::string, std::vector<std::pair<long long, int>>> edges_; // day -> (+1/-1)
    std::map<std::string, int> peak_;
    std::array<std::array<double, 24>, 7> heat_{};
    std::vector<Interval> absences_;
    std::vector<WhatIfRow> whatIf_;
    std::map<int, std::pair<int, int>> inForce_; // minutes -> live, trial sessions
    double freedWorking_ = 0;
    // The line's fields, storage reused from line to line.
    std::array<std::string_view, 10> view_;
    std::vector<std::string> fields_;
    std::string key_, lastComputer_, lastSessionId_;
    Session* lastSession_ = nullptr;
    bool splitFields(const char* p, size_t n);
};

// A journal time's UTC seconds and offset; false when it is not one, or
// its year is outside 2000-2100.
bool parseTime(std::string_view text, long long& utc, int& offset);
// The CSV with one row per user and day, after a UTF-8 byte-order mark.
std::string usageCsv(const UsageReport& r);
// The what-if as CSV: timeout_minutes,closes,hours_freed,hours_freed_working,
// closes_back_within_10.
std::string whatIfCsv(const UsageReport& r);
