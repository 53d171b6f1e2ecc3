#include "tools/reportmodel.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

void addStretch(std::vector<std::pair<long, double>>& whatIf, long long seconds) {
    const std::vector<int>& minutes = whatIfMinutes();
    for (size_t i = 0; i < minutes.size(); ++i)
        if (seconds >= minutes[i] * 60LL) {
            ++whatIf[i].first;
            whatIf[i].second += (double)(seconds - minutes[i] * 60LL);
        }
}

} // namespace

const std::vector<int>& whatIfMinutes() {
    static const std::vector<int> m = {5, 10, 15, 20, 30, 45, 60, 90, 120};
    return m;
}

bool parseJournalTime(const std::string& t, long long& utc, std::string& day, int& hour,
                      int& weekday, int& offset) {
    int y, mo, d, h, mi, s, oh, om;
    char sign;
    if (t.size() != 25 ||
        std::sscanf(t.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%2d:%2d", &y, &mo, &d, &h, &mi, &s, &sign,
                    &oh, &om) != 9 ||
        (sign != '+' && sign != '-') || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 ||
        s > 60)
        return false;
    offset = (sign == '-' ? -1 : 1) * (oh * 3600 + om * 60);
    const long long days = daysFromCivil(y, mo, d);
    utc = days * 86400 + h * 3600 + mi * 60 + s - offset;
    day = t.substr(0, 10);
    hour = h;
    weekday = (int)(((days % 7) + 7 + 3) % 7); // 1970-01-01 was a Thursday
    return true;
}

bool UsageReport::inRange(const std::string& day) const {
    return (from_.empty() || day >= from_) && (to_.empty() || day <= to_);
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
        heat_[(size_t)(((days % 7) + 7 + 3) % 7)][(size_t)((local % 86400) / 3600)] +=
            (double)(upto - t) / 3600.0;
        t = upto;
    }
    s.ended = true;
}

void UsageReport::addLine(const std::string& raw) {
    std::string line = raw;
    if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    if (line.empty()) return;
    if (line == kJournalColumns) return;
    ++lines_;
    std::vector<std::string> f;
    long long utc;
    std::string day;
    int hour, weekday, offset;
    if (!splitCsvLine(line, f) || f.size() != 10 ||
        !parseJournalTime(f[0], utc, day, hour, weekday, offset)) {
        ++skipped_;
        return;
    }
    if (whatIf_.empty()) whatIf_.assign(whatIfMinutes().size(), {0, 0.0});
    if (!inRange(day)) return;
    const std::string& computer = f[1];
    const std::string& user = f[2];
    const std::string key = computer + "|" + f[3];
    const std::string& event = f[4];
    const long long seconds = f[5].empty() ? 0 : std::atoll(f[5].c_str());
    seats_.insert(computer);
    DayFigures& today = days_[user][day];
    auto found = open_.find(key);
    if (event == "start") {
        Session s;
        s.user = user;
        s.computer = computer;
        s.start = s.last = utc;
        s.startDay = day;
        s.startOffset = offset;
        open_[key] = s;
        ++today.sessions;
        // A seat the module closed was free until this start (or its day's end).
        auto closed = lastClose_.find(user + "|" + computer);
        if (closed != lastClose_.end()) {
            const long long at = closed->second.first;
            const long long dayEnd =
                ((at + closed->second.second) / 86400 + 1) * 86400 - closed->second.second;
            days_[user][dayOf(at + closed->second.second)].secondsFreed +=
                (double)(std::min(utc, dayEnd) - at);
            lastClose_.erase(closed);
        }
        return;
    }
    if (found != open_.end()) found->second.last = utc;
    if (event == "quiet") {
        today.secondsIdle += (double)seconds;
        addStretch(whatIf_, seconds);
    } else if (event == "expired" && f[9].rfind("trial run", 0) != 0) {
        // A stretch cut by the close counts up to the timeout in force.
        today.secondsIdle += (double)seconds;
        addStretch(whatIf_, seconds);
    } else if (event == "cancelled") {
        ++today.countdownsCancelled;
    } else if (event == "closed") {
        if (f[7] == "0")
            ++today.discarded;
        else
            ++today.saved;
    } else if (event == "rescued") {
        ++today.rescued;
    } else if (event == "waiting-cancelled") {
        ++today.waitingCancelled;
    } else if (event == "host-closed") {
        ++today.closes;
        lastClose_[user + "|" + computer] = {utc, offset};
    } else if (event == "end" && found != open_.end()) {
        endSession(found->second, utc);
        open_.erase(found);
    }
}

void UsageReport::finish() {
    for (auto& s : open_)
        endSession(s.second, s.second.last);
    open_.clear();
    for (auto& c : lastClose_) { // no later start: free until the day's end
        const long long at = c.second.first, off = c.second.second;
        const std::string user = c.first.substr(0, c.first.find('|'));
        days_[user][dayOf(at + off)].secondsFreed +=
            (double)(((at + off) / 86400 + 1) * 86400 - off - at);
    }
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
    if (whatIf_.empty()) whatIf_.assign(whatIfMinutes().size(), {0, 0.0});
}

std::string usageCsv(const UsageReport& r) {
    std::string out = "user,day,sessions,hours_open,hours_active,hours_idle,hours_freed,closes,"
                      "drawings_saved,drawings_discarded,drawings_rescued,waiting_cancelled,"
                      "countdowns_cancelled\r\n";
    char row[512];
    for (const auto& u : r.perUserDay())
        for (const auto& d : u.second) {
            const DayFigures& f = d.second;
            const double active = std::max(0.0, f.secondsOpen - f.secondsIdle);
            std::snprintf(row, sizeof row, ",%s,%d,%.2f,%.2f,%.2f,%.2f,%d,%d,%d,%d,%d,%d\r\n",
                          d.first.c_str(), f.sessions, f.secondsOpen / 3600, active / 3600,
                          f.secondsIdle / 3600, f.secondsFreed / 3600, f.closes, f.saved,
                          f.discarded, f.rescued, f.waitingCancelled, f.countdownsCancelled);
            out += csvField(u.first) + row;
        }
    return out;
}
