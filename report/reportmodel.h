// The usage report's figures from session journals. Lines are read one at a
// time and kept per session in a compact form, each line once however often
// it is given; a computer's figures are made once its journals are read
// (figureRead), from each seat and user's events in time order, and its
// lines let go, so memory follows one computer's journal, not the office's.
// Days are clock days of each seat: hours are split at its midnight.
// Clocks are not trusted blindly: a line dated after the report's own
// clock (and a day) is left out, a stretch is no longer than its session so
// far, and a session whose clock jumped further than its own length allows
// is moved back in one piece. Pure logic, free of the platform.
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
    // The report's clock, UTC seconds: lines dated more than a day after it
    // are from the future, and the period never ends after it. 0: none.
    long long now = 0;
};

// Figures over a stretch of time: Seconds and Count are double and int for
// sums, and 32-bit unsigned for the figures of one user's day, of which a
// year of an office holds hundreds of thousands.
template <typename Seconds, typename Count> struct Figures {
    Count sessions = 0; // sessions started that day
    Seconds secondsOpen = 0;
    Seconds secondsIdle = 0;
    Seconds secondsFreed = 0;
    Count closes = 0; // the module closed AutoCAD
    Count saved = 0, discarded = 0, rescued = 0;
    Count waitingCancelled = 0;
    Count countdownsCancelled = 0;
    // Quiet stretches a seat stayed open through because licences were
    // free (kept, or would-keep in a trial run), counted on the day of the
    // first such answer, and their idle seconds from it to the stretch's end.
    Count keptOpen = 0;
    Seconds secondsKept = 0;
    template <typename S, typename C> Figures& operator+=(const Figures<S, C>& o) {
        sessions += (Count)o.sessions;
        secondsOpen += (Seconds)o.secondsOpen;
        secondsIdle += (Seconds)o.secondsIdle;
        secondsFreed += (Seconds)o.secondsFreed;
        closes += (Count)o.closes;
        saved += (Count)o.saved;
        discarded += (Count)o.discarded;
        rescued += (Count)o.rescued;
        waitingCancelled += (Count)o.waitingCancelled;
        countdownsCancelled += (Count)o.countdownsCancelled;
        keptOpen += (Count)o.keptOpen;
        secondsKept += (Seconds)o.secondsKept;
        return *this;
    }
    // Hours open less idle hours.
    double secondsActive() const {
        return secondsOpen > secondsIdle ? (double)secondsOpen - (double)secondsIdle : 0;
    }
};
using DayFigures = Figures<double, int>;
using DayCounts = Figures<std::uint32_t, std::uint32_t>;

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
    // Makes the figures of the sessions read so far and lets their lines go:
    // called after each computer's journals (all its files, for the lines
    // given twice). A session without an `end` ends at its last line.
    void figureRead();
    // Makes the figures of what is left, the absences still open at the end
    // of the period, the what-if and the peaks.
    void finish();

    const ReportOptions& options() const { return options_; }
    long linesRead() const { return lines_; }
    long linesSkipped() const { return skipped_; }
    long linesRepeated() const { return repeated_; }
    // Lines left out as dated after the report's clock and a day.
    long linesFuture() const { return future_; }
    // Lines whose length was cut to their session (or to the stretch before).
    long linesCut() const { return cut_; }
    // Sessions whose clock jumped, moved back in one piece.
    long clockChanges() const { return clockChanges_; }
    // The first and last local day with a line in the period; empty when none.
    const std::string& firstDay() const { return firstDay_; }
    const std::string& lastDay() const { return lastDay_; }
    // user -> (day, figures), in day order; dayName() names a day.
    using UserDays = std::vector<std::pair<int, DayCounts>>;
    const std::map<std::string, UserDays>& perUserDay() const { return days_; }
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
    // Something still open when a seat's lines end: an absence or a seat
    // freed, ended at the end of the period once every journal is read.
    struct Open {
        std::string user, computer;
        long long from, mark;
        int offset;
        bool freed;
    };
    void settle(Session& s);
    void figureSeat(const std::vector<Session*>& sessions);
    void addOpen(UserDays& days, DayFigures& seat, const Interval& i);
    // An absence's part of every timeout of the what-if.
    void addAbsence(const Interval& a);
    void addFreed(UserDays& days, DayFigures& seat, long long from, long long to, int offset);
    void whatIfFrom();
    long long periodStart(int offset) const;
    long long periodEnd(int offset) const;
    // Where the period ends for what is still open: --to's end, or else the
    // latest line read, and never after the report's clock.
    long long openEnd(int offset) const;
    ReportOptions options_;
    long long fromDays_, toDays_; // days since 1970 of the bounds, or none
    long lines_ = 0, skipped_ = 0, repeated_ = 0, future_ = 0, cut_ = 0, clockChanges_ = 0;
    long long latest_ = 0; // the last line's time
    std::string firstDay_, lastDay_;
    long long firstDayNumber_ = LLONG_MAX, lastDayNumber_ = LLONG_MIN;
    std::map<std::string, Session> sessions_; // computer + session id
    std::map<std::string, UserDays> days_;
    std::map<std::string, DayFigures> computers_;
    // day -> moments a session opened or closed, as (seconds from the day's
    // first moment anywhere) * 4 + kind: a close, an open, an instant's open,
    // an instant's close, so moments sort in that order.
    std::map<long long, std::vector<std::uint32_t>> edges_;
    std::map<std::string, int> peak_;
    std::array<std::array<double, 24>, 7> heat_{};
    std::vector<Open> open_;
    // The what-if for every timeout the module takes (1 to 120 minutes).
    std::vector<WhatIfRow> byMinute_;
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
// "YYYY-MM-DD" of a day counted from 1970-01-01.
std::string dayName(long long day);
// The CSV with one row per user and day, after a UTF-8 byte-order mark.
std::string usageCsv(const UsageReport& r);
// The what-if as CSV: timeout_minutes,closes,hours_freed,hours_freed_working,
// closes_back_within_10.
std::string whatIfCsv(const UsageReport& r);
