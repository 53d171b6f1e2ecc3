#include "report/reportmodel.h"
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "cmdlog/journalformat.h"

namespace {

// Days since 1970-01-01 of a civil date.
long long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = (int)(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string dayOf(long long localSeconds) {
    long long z = (localSeconds >= 0 ? localSeconds : localSeconds - 86399) / 86400 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = (unsigned)(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = (long long)yoe + era * 400 + (m <= 2);
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u", y, m, d);
    return text;
}

// 0 for Monday, of a day counted from 1970-01-01 (a Thursday).
int weekdayOf(long long days) {
    return (int)(((days % 7) + 7 + 3) % 7);
}

void addStretch(std::vector<std::pair<long, double>>& whatIf, long long seconds) {
    const std::vector<int>& minutes = whatIfMinutes();
    for (size_t i = 0; i < minutes.size(); ++i)
        if (seconds >= minutes[i] * 60LL) {
            ++whatIf[i].first;
            whatIf[i].second += (double)(seconds - minutes[i] * 60LL);
        }
}

} // namespace

DayFigures& DayFigures::operator+=(const DayFigures& o) {
    sessions += o.sessions;
    secondsOpen += o.secondsOpen;
    secondsIdle += o.secondsIdle;
    secondsFreed += o.secondsFreed;
    closes += o.closes;
    saved += o.saved;
    discarded += o.discarded;
    rescued += o.rescued;
    waitingCancelled += o.waitingCancelled;
    countdownsCancelled += o.countdownsCancelled;
    return *this;
}

const std::vector<int>& whatIfMinutes() {
    static const std::vector<int> m = {5, 10, 15, 20, 30, 45, 60, 90, 120};
    return m;
}

namespace {
// The number in text[at, at + n), all digits; -1 otherwise.
int digits(std::string_view text, size_t at, size_t n) {
    int v = 0;
    for (size_t i = at; i < at + n; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        v = v * 10 + (text[i] - '0');
    }
    return v;
}
} // namespace

bool parseTime(std::string_view t, long long& utc, int& offset) {
    if (t.size() != 25 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' ||
        t[16] != ':' || (t[19] != '+' && t[19] != '-') || t[22] != ':')
        return false;
    const int y = digits(t, 0, 4), mo = digits(t, 5, 2), d = digits(t, 8, 2);
    const int h = digits(t, 11, 2), mi = digits(t, 14, 2), s = digits(t, 17, 2);
    const int oh = digits(t, 20, 2), om = digits(t, 23, 2);
    if (y < 0 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 ||
        s < 0 || s > 60 || oh < 0 || om < 0)
        return false;
    offset = (t[19] == '-' ? -1 : 1) * (oh * 3600 + om * 60);
    utc = daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s - offset;
    return true;
}

void UsageReport::endSession(Session& s, long long end) {
    if (end < s.start) end = s.start;
    days_[s.user][s.startDay].secondsOpen += (double)(end - s.start);
    edges_[s.startDay].push_back({s.start, +1});
    edges_[s.startDay].push_back({end, -1});
    // Session-hours by local weekday and hour.
    for (long long t = s.start; t < end;) {
        const long long local = t + s.startOffset;
        const long long hourEnd = (local / 3600 + 1) * 3600 - s.startOffset;
        const long long upto = std::min(end, hourEnd);
        const long long days = local / 86400;
        heat_[(size_t)weekdayOf(days)][(size_t)((local % 86400) / 3600)] +=
            (double)(upto - t) / 3600.0;
        t = upto;
    }
}

void UsageReport::creditFreed(const Closed& c, long long until) {
    const long long local = c.at + c.offset;
    const long long dayEnd = (local / 86400 + 1) * 86400 - c.offset;
    days_[c.user][dayOf(local)].secondsFreed += (double)(std::min(until, dayEnd) - c.at);
}

// The fields of a line as views: into the line when it holds no quote,
// into fields_ (the standard split) when it does. False unless ten fields.
// One pass over the bytes, with no call out per byte: this is the loop every
// line goes through.
bool UsageReport::splitFields(const char* p, size_t n) {
    size_t field = 0, begin = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = p[i];
        if (c == '"') {
            if (!splitCsvLine(std::string(p, n), fields_) || fields_.size() != 10) return false;
            for (size_t k = 0; k < 10; ++k)
                view_[k] = fields_[k];
            return true;
        }
        if (c != ',') continue;
        if (field == 9) return false;
        view_[field++] = std::string_view(p + begin, i - begin);
        begin = i + 1;
    }
    if (field != 9) return false;
    view_[9] = std::string_view(p + begin, n - begin);
    return true;
}

namespace {
// Equal texts, compared here rather than through the C library's memcmp,
// which some runtimes do byte by byte behind a call.
inline bool same(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}

// A whole number of seconds; 0 for an empty or broken field.
long long secondsOf(std::string_view text) {
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        v = v * 10 + (c - '0');
    }
    return v;
}
} // namespace

void UsageReport::addLine(const std::string& line) {
    addLine(line.data(), line.size());
}

void UsageReport::addLine(const char* p, size_t n) {
    if (n >= 3 && (unsigned char)p[0] == 0xEF && (unsigned char)p[1] == 0xBB &&
        (unsigned char)p[2] == 0xBF)
        p += 3, n -= 3;
    while (n > 0 && (p[n - 1] == '\r' || p[n - 1] == '\n'))
        --n;
    if (n == 0) return;
    static const size_t headerSize = std::strlen(kJournalColumns);
    if (n == headerSize && std::memcmp(p, kJournalColumns, n) == 0) return;
    ++lines_;
    long long utc;
    int offset;
    if (!splitFields(p, n) || !parseTime(view_[0], utc, offset)) {
        ++skipped_;
        return;
    }
    const std::string_view day = view_[0].substr(0, 10);
    if ((!from_.empty() && day < from_) || (!to_.empty() && day > to_)) return;
    const std::string_view computer = view_[1], user = view_[2], event = view_[4];
    // Most lines are of the same seat, user, day and session as the one
    // before: the look-ups are kept.
    if (!same(computer, lastComputer_) || !same(view_[3], lastSessionId_)) {
        if (!same(computer, lastComputer_)) seats_.insert(std::string(computer));
        lastComputer_ = computer;
        lastSessionId_ = view_[3];
        key_.assign(computer).append("|").append(view_[3]);
        lastSession_ = open_.find(key_);
    }
    if (!lastToday_ || !same(user, lastUser_) || !same(day, lastDay_)) {
        lastUser_ = user;
        lastDay_ = day;
        lastToday_ = &days_[lastUser_][lastDay_];
    }
    DayFigures& today = *lastToday_;
    const long long seconds = secondsOf(view_[5]);
    if (same(event, journalevent::kStart)) {
        Session s;
        s.user = lastUser_;
        s.start = s.last = utc;
        s.startDay = lastDay_;
        s.startOffset = offset;
        lastSession_ = open_.insert_or_assign(key_, s).first;
        ++today.sessions;
        // A seat the module closed was free until this start (or its day's end).
        auto closed = lastClose_.find(lastUser_ + "|" + lastComputer_);
        if (closed != lastClose_.end()) {
            creditFreed(closed->second, utc);
            lastClose_.erase(closed);
        }
        return;
    }
    const auto found = lastSession_;
    if (found != open_.end()) found->second.last = utc;
    if (same(event, journalevent::kQuiet)) {
        today.secondsIdle += (double)seconds;
        addStretch(whatIf_, seconds);
    } else if (same(event, journalevent::kExpired) &&
               !same(view_[9].substr(0, 9), "trial run")) { // a trial run's, in older journals
        // A stretch cut by the close counts up to the timeout in force.
        today.secondsIdle += (double)seconds;
        addStretch(whatIf_, seconds);
    } else if (same(event, journalevent::kCancelled)) {
        ++today.countdownsCancelled;
    } else if (same(event, journalevent::kClosed)) {
        if (same(view_[7], "0"))
            ++today.discarded;
        else
            ++today.saved;
    } else if (same(event, journalevent::kRescued)) {
        ++today.rescued;
    } else if (same(event, journalevent::kWaitingCancelled)) {
        ++today.waitingCancelled;
    } else if (same(event, journalevent::kHostClosed)) {
        ++today.closes;
        lastClose_[lastUser_ + "|" + lastComputer_] = {lastUser_, utc, offset};
    } else if (same(event, journalevent::kEnd) && found != open_.end()) {
        endSession(found->second, utc);
        open_.erase(found);
        lastSession_ = open_.end();
    }
}

void UsageReport::finish() {
    for (auto& s : open_)
        endSession(s.second, s.second.last);
    open_.clear();
    for (const auto& c : lastClose_) // no later start: free until the day's end
        creditFreed(c.second, LLONG_MAX);
    lastClose_.clear();
    for (auto& d : edges_) {
        std::sort(d.second.begin(), d.second.end());
        int now = 0, most = 0;
        for (const auto& e : d.second) {
            now += e.second;
            most = std::max(most, now);
        }
        peak_[d.first] = most;
    }
    edges_.clear();
}

std::string usageCsv(const UsageReport& r) {
    std::string out = "user,day,sessions,hours_open,hours_active,hours_idle,hours_freed,closes,"
                      "drawings_saved,drawings_discarded,drawings_rescued,waiting_cancelled,"
                      "countdowns_cancelled\r\n";
    char row[512];
    for (const auto& u : r.perUserDay())
        for (const auto& d : u.second) {
            const DayFigures& f = d.second;
            const double active = f.secondsActive();
            std::snprintf(row, sizeof row, ",%s,%d,%.2f,%.2f,%.2f,%.2f,%d,%d,%d,%d,%d,%d\r\n",
                          d.first.c_str(), f.sessions, f.secondsOpen / 3600, active / 3600,
                          f.secondsIdle / 3600, f.secondsFreed / 3600, f.closes, f.saved,
                          f.discarded, f.rescued, f.waitingCancelled, f.countdownsCancelled);
            out += csvField(u.first) + row;
        }
    return out;
}

bool UsageReport::readFile(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::string line;
    char chunk[4096];
    while (std::fgets(chunk, sizeof chunk, f)) {
        const size_t n = std::strlen(chunk);
        if (line.empty() && n > 0 && chunk[n - 1] == '\n') { // the usual whole line
            addLine(chunk, n);
            continue;
        }
        line.append(chunk, n); // a line longer than the chunk
        if (line.back() != '\n' && !std::feof(f)) continue;
        addLine(line);
        line.clear();
    }
    if (!line.empty()) addLine(line);
    std::fclose(f);
    return true;
}
