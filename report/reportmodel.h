// The usage report's figures from session journals: read line by line,
// kept per user and day (memory grows with users and days, not lines).
// Pure logic, free of the platform.
#pragma once
#include <array>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The what-if's timeouts, in minutes.
const std::vector<int>& whatIfMinutes();

struct DayFigures {
    int sessions = 0;
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

class UsageReport {
  public:
    // Dates as "YYYY-MM-DD"; empty: no bound.
    UsageReport(std::string from, std::string to)
        : from_(std::move(from)), to_(std::move(to)), whatIf_(whatIfMinutes().size(), {0, 0.0}) {}
    // One line of a journal file; the header row and a UTF-8 mark are
    // taken; a line that cannot be read is counted.
    void addLine(const std::string& line);
    void addLine(const char* text, size_t size);
    // Every line of a journal file, one at a time; false when it cannot be
    // opened.
    bool readFile(const std::string& path);
    // Ends the reading: open sessions end at their last event.
    void finish();

    long linesRead() const { return lines_; }
    long linesSkipped() const { return skipped_; }
    // user -> day -> figures.
    const std::map<std::string, std::map<std::string, DayFigures>>& perUserDay() const {
        return days_;
    }
    // day -> most sessions open at once.
    const std::map<std::string, int>& peakSessions() const { return peak_; }
    // weekday (0 Monday) x hour: session-hours open.
    const std::array<std::array<double, 24>, 7>& heat() const { return heat_; }
    // For each what-if timeout: closes and seconds freed.
    const std::vector<std::pair<long, double>>& whatIf() const { return whatIf_; }
    const std::set<std::string>& seats() const { return seats_; }

  private:
    struct Session {
        std::string user;
        long long start = 0, last = 0; // UTC seconds
        std::string startDay;
        int startOffset = 0;
    };
    bool splitFields(const char* p, size_t n);
    void endSession(Session& s, long long end);
    std::string from_, to_;
    long lines_ = 0, skipped_ = 0;
    std::map<std::string, std::map<std::string, DayFigures>> days_;
    std::map<std::string, Session> open_;                                 // computer + session id
    std::map<std::string, std::vector<std::pair<long long, int>>> edges_; // day -> (+1/-1)
    std::map<std::string, int> peak_;
    std::array<std::array<double, 24>, 7> heat_{};
    std::vector<std::pair<long, double>> whatIf_;
    std::set<std::string> seats_;
    // The module's last close of a user's seat, not yet followed by a start.
    struct Closed {
        std::string user;
        long long at;
        int offset;
    };
    // Hours freed by a close, until the next start (or the day's end).
    void creditFreed(const Closed& c, long long until);
    std::map<std::string, Closed> lastClose_; // user + computer
    // The line's fields, storage reused from line to line, and the look-ups
    // of the line before.
    std::array<std::string_view, 10> view_;
    std::vector<std::string> fields_;
    std::string key_, lastComputer_, lastSessionId_, lastUser_, lastDay_;
    DayFigures* lastToday_ = nullptr;
    std::map<std::string, Session>::iterator lastSession_ = open_.end();
};

// A journal time's UTC seconds and offset; false when it is not one.
bool parseTime(std::string_view text, long long& utc, int& offset);
// The CSV with one row per user and day.
std::string usageCsv(const UsageReport& r);
