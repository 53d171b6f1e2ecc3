#include "report/reportmodel.h"
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "cmdlog/journalformat.h"

namespace {

const long long kDay = 86400;
const long long kNoBound = LLONG_MIN;
// How far a session's clock may stray from its own length before it counts
// as changed: the end's seconds are the module's, the start's time the
// journal's, a moment apart.
const long long kClockSlack = 60;
// The longest timeout the module takes, in minutes.
const int kLongestTimeout = 120;

// The events the figures use; any other keeps its session open until it.
enum Code : std::uint8_t {
    kOther,
    kStartEvent,
    kSettingsEvent,
    kQuietEvent,
    kCancelledEvent,
    kDisabledEvent,
    kExpiredEvent,
    kClosedEvent,
    kRescuedEvent,
    kWaitingCancelledEvent,
    kHostClosedEvent,
    kEndEvent,
    kKeptEvent,
};

Code codeOf(std::string_view event) {
    if (event == journalevent::kQuiet) return kQuietEvent; // most lines
    static const std::pair<const char*, Code> names[] = {
        {journalevent::kStart, kStartEvent},
        {journalevent::kSettings, kSettingsEvent},
        {journalevent::kQuiet, kQuietEvent},
        {journalevent::kCancelled, kCancelledEvent},
        {journalevent::kDisabled, kDisabledEvent},
        {journalevent::kExpired, kExpiredEvent},
        {journalevent::kClosed, kClosedEvent},
        {journalevent::kRescued, kRescuedEvent},
        {journalevent::kWaitingCancelled, kWaitingCancelledEvent},
        {journalevent::kHostClosed, kHostClosedEvent},
        {journalevent::kEnd, kEndEvent},
        {journalevent::kKept, kKeptEvent},
        {journalevent::kWouldKeep, kKeptEvent},
    };
    for (const auto& n : names)
        if (event == n.first) return n.second;
    return kOther;
}

// b > 0. Times of 2000-2100 fit 32 bits unsigned, whose division a 32-bit
// processor does in one step.
long long floorDiv(long long a, long long b) {
    if (a >= 0 && a <= 0xFFFFFFFFLL && b <= 0xFFFFFFFFLL)
        return (long long)((std::uint32_t)a / (std::uint32_t)b);
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Days since 1970-01-01 of a civil date.
long long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = (int)(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

} // namespace

std::string dayName(long long days) {
    const long long z = days + 719468;
    const long long era = floorDiv(z, 146097);
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

namespace {

// 0 for Monday, of a day counted from 1970-01-01 (a Thursday).
int weekdayOf(long long days) {
    return (int)(((days % 7) + 7 + 3) % 7);
}

// The number in text[at, at + n), all digits; -1 otherwise.
int digits(std::string_view text, size_t at, size_t n) {
    int v = 0;
    for (size_t i = at; i < at + n; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        v = v * 10 + (text[i] - '0');
    }
    return v;
}

// Days since 1970 of "YYYY-MM-DD".
bool daysOf(const std::string& text, long long& days) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    const int y = digits(text, 0, 4), m = digits(text, 5, 2), d = digits(text, 8, 2);
    if (y < 2000 || y > 2100 || m < 1 || m > 12 || d < 1 || d > 31) return false;
    days = daysFromCivil(y, m, d);
    return true;
}

// A whole number of seconds (up to about 300 years); 0 for an empty or
// broken field, or a larger one.
long long secondsOf(std::string_view text) {
    if (text.size() > 10) return 0;
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        v = v * 10 + (c - '0');
    }
    return v;
}

// The number after "name=" in a start line's settings; -1 when absent.
int settingOf(std::string_view detail, std::string_view name) {
    for (size_t at = 0; at < detail.size();) {
        size_t end = detail.find(';', at);
        if (end == std::string_view::npos) end = detail.size();
        const std::string_view item = detail.substr(at, end - at);
        if (item.size() > name.size() && item.substr(0, name.size()) == name &&
            item[name.size()] == '=') {
            const std::string_view value = item.substr(name.size() + 1);
            if (value.empty() || value.size() > 6) return -1;
            return (int)secondsOf(value);
        }
        at = end + 1;
    }
    return -1;
}

// A hash of the line, four bytes a step. Lines are told apart by it only
// from lines of the same session and second.
std::uint32_t hashOf(const char* p, size_t n) {
    std::uint32_t h = 2166136261u ^ (std::uint32_t)n;
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        std::uint32_t w;
        std::memcpy(&w, p + i, 4);
        h = (h ^ w) * 0x9E3779B1u;
        h ^= h >> 15;
    }
    for (; i < n; ++i)
        h = (h ^ (unsigned char)p[i]) * 16777619u;
    return h;
}

// Calls f(day, from, to) for each local day [from, to) touches.
template <typename F> void eachDay(long long from, long long to, int offset, F f) {
    for (long long t = from; t < to;) {
        const long long day = floorDiv(t + offset, kDay);
        const long long upto = std::min(to, (day + 1) * kDay - offset);
        f(day, t, upto);
        t = upto;
    }
}

} // namespace


const std::vector<int>& whatIfMinutes() {
    static const std::vector<int> m = {5, 10, 15, 20, 30, 45, 60, 90, 120};
    return m;
}

bool parseTime(std::string_view t, long long& utc, int& offset) {
    if (t.size() != 25 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' ||
        t[16] != ':' || (t[19] != '+' && t[19] != '-') || t[22] != ':')
        return false;
    const int y = digits(t, 0, 4), mo = digits(t, 5, 2), d = digits(t, 8, 2);
    const int h = digits(t, 11, 2), mi = digits(t, 14, 2), s = digits(t, 17, 2);
    const int oh = digits(t, 20, 2), om = digits(t, 23, 2);
    if (y < 2000 || y > 2100 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 ||
        mi > 59 || s < 0 || s > 60 || oh < 0 || oh > 14 || om < 0 || om > 59)
        return false;
    offset = (t[19] == '-' ? -1 : 1) * (oh * 3600 + om * 60);
    utc = daysFromCivil(y, mo, d) * kDay + h * 3600 + mi * 60 + s - offset;
    return true;
}

UsageReport::UsageReport(ReportOptions options) : options_(std::move(options)) {
    if (!daysOf(options_.from, fromDays_)) fromDays_ = kNoBound;
    if (!daysOf(options_.to, toDays_)) toDays_ = kNoBound;
    if (options_.workFrom < 0 || options_.workTo > 24 || options_.workFrom > options_.workTo)
        options_.workFrom = 8, options_.workTo = 18;
    byMinute_.resize(kLongestTimeout);
    for (int m = 1; m <= kLongestTimeout; ++m)
        byMinute_[(size_t)m - 1].minutes = m;
}

long long UsageReport::periodStart(int offset) const {
    return fromDays_ == kNoBound ? LLONG_MIN / 2 : fromDays_ * kDay - offset;
}

long long UsageReport::periodEnd(int offset) const {
    return toDays_ == kNoBound ? LLONG_MAX / 2 : (toDays_ + 1) * kDay - offset;
}

long long UsageReport::openEnd(int offset) const {
    long long end = toDays_ == kNoBound ? latest_ : periodEnd(offset);
    if (options_.now) end = std::min(end, options_.now);
    return end;
}

// The fields of a line as views: into the line when it holds no quote,
// into fields_ (the standard split) when it does. False unless ten fields.
// One pass over the bytes, with no call out per byte: this is the loop every
// line goes through.
bool UsageReport::splitFields(const char* p, size_t n) {
    size_t field = 0, begin = 0;
    // A mark of csvField's stands at a field's start only.
    bool plain = n == 0 || p[0] != '\'';
    for (size_t i = 0; plain && i < n; ++i) {
        const char c = p[i];
        if (c == '"') {
            plain = false;
            break;
        }
        if (c != ',') continue;
        if (field == 9) return false;
        view_[field++] = std::string_view(p + begin, i - begin);
        begin = i + 1;
        plain = begin >= n || p[begin] != '\'';
    }
    if (!plain) {
        if (!splitCsvLine(std::string(p, n), fields_) || fields_.size() != 10) return false;
        for (size_t k = 0; k < 10; ++k)
            view_[k] = fields_[k];
        return true;
    }
    if (field != 9) return false;
    view_[9] = std::string_view(p + begin, n - begin);
    return true;
}

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
    Event e;
    if (std::memchr(p, '\0', n) || !splitFields(p, n) || !parseTime(view_[0], e.utc, e.offset)) {
        ++skipped_;
        return;
    }
    e.hash = hashOf(p, n);
    e.code = codeOf(view_[4]);
    e.seconds = secondsOf(view_[5]);
    if (e.code == kClosedEvent) e.flag = view_[7] == "0";
    if (e.code == kEndEvent) e.flag = view_[9] == "user";
    if (e.code == kExpiredEvent && view_[9].substr(0, 9) == "trial run")
        e.code = kOther; // a trial run's, in older journals: its stretch follows whole
    if (e.code == kStartEvent || e.code == kSettingsEvent) {
        e.timeout = (std::int16_t)std::min(settingOf(view_[9], "TimeInactivity"), 32767);
        e.flag = settingOf(view_[9], "DryRun") == 1;
    }
    // A day's slack: a seat's zone may be ahead of the report's.
    if (options_.now && e.utc > options_.now + kDay) {
        ++future_;
        return;
    }
    latest_ = std::max(latest_, e.utc);
    // Most lines are of the same session as the one before.
    if (!lastSession_ || view_[1] != lastComputer_ || view_[3] != lastSessionId_) {
        lastComputer_.assign(view_[1]);
        lastSessionId_.assign(view_[3]);
        key_.assign(view_[1]).append("|").append(view_[3]);
        auto found = sessions_.find(key_);
        if (found == sessions_.end()) {
            found = sessions_.emplace(key_, Session()).first;
            found->second.computer = lastComputer_;
            found->second.user = std::string(view_[2]);
        }
        lastSession_ = &found->second;
    }
    lastSession_->events.push_back(e);
}

bool UsageReport::readFile(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::string partial; // a line across blocks
    char block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, f)) > 0) {
        size_t begin = 0;
        for (const char* nl; (nl = static_cast<const char*>(
                                  std::memchr(block + begin, '\n', got - begin))) != nullptr;) {
            const size_t end = (size_t)(nl - block);
            if (partial.empty()) {
                addLine(block + begin, end - begin);
            } else {
                partial.append(block + begin, end - begin);
                addLine(partial);
                partial.clear();
            }
            begin = end + 1;
        }
        partial.append(block + begin, got - begin);
    }
    if (!partial.empty()) addLine(partial);
    std::fclose(f);
    return true;
}

namespace {

// The day's figures among a user's days: a seat's days come in order, so
// it is among the last few or new; one another seat of the user's gave
// earlier comes twice, merged at finish().
DayCounts& dayIn(UsageReport::UserDays& days, int day) {
    for (size_t i = days.size(), seen = 0; i-- > 0 && seen < 8; ++seen)
        if (days[i].first == day) return days[i].second;
    days.push_back({day, DayCounts()});
    return days.back().second;
}

} // namespace

void UsageReport::addOpen(UserDays& days, DayFigures& seat, const Interval& i) {
    const long long from = std::max(i.from, periodStart(i.offset));
    const long long to = std::min(i.to, periodEnd(i.offset));
    if (to < from) return;
    // A day's moments anywhere: from 14 hours before its UTC midnight.
    auto edge = [&](long long day, long long at, std::uint32_t kind) {
        edges_[day].push_back((std::uint32_t)(at - (day * kDay - 14 * 3600)) * 4 + kind);
    };
    eachDay(from, to, i.offset, [&](long long day, long long a, long long b) {
        dayIn(days, (int)day).secondsOpen += (std::uint32_t)(b - a);
        seat.secondsOpen += (double)(b - a);
        edge(day, a, 1);
        edge(day, b, 0);
    });
    if (to == from) { // open for an instant: still open at once with others
        const long long day = floorDiv(from + i.offset, kDay);
        edge(day, from, 2);
        edge(day, from, 3);
    }
    // Session-hours by local weekday and hour.
    for (long long t = from; t < to;) {
        const long long local = t + i.offset;
        const long long upto = std::min(to, (floorDiv(local, 3600) + 1) * 3600 - i.offset);
        const long long day = floorDiv(local, kDay);
        heat_[(size_t)weekdayOf(day)][(size_t)((local - day * kDay) / 3600)] +=
            (double)(upto - t) / 3600.0;
        t = upto;
    }
}



namespace {

// Working seconds (Monday to Friday, [workFrom, workTo) local) from a
// Monday long ago up to t.
long long workingBefore(long long t, int offset, int workFrom, int workTo) {
    const long long local = t + offset;
    const long long day = floorDiv(local, kDay);
    const long long week = floorDiv(day + 3, 7); // 1969-12-29 was a Monday
    const int weekday = (int)(day + 3 - week * 7);
    const long long perDay = (workTo - workFrom) * 3600LL;
    const long long intoDay = local - day * kDay;
    long long today = 0;
    if (weekday < 5) today = std::min(std::max(intoDay - workFrom * 3600LL, 0LL), perDay);
    return week * 5 * perDay + std::min(weekday, 5) * perDay + today;
}

// Seconds of [from, to) within working hours.
double workingSeconds(long long from, long long to, int offset, int workFrom, int workTo) {
    if (to <= from) return 0;
    return (double)(workingBefore(to, offset, workFrom, workTo) -
                    workingBefore(from, offset, workFrom, workTo));
}

} // namespace

// A session's lines, in time order, each once, on its first line's clock
// offset; its clock mended: a jump
// further than the session's own length (its end line's seconds) moves the
// lines before the largest gap by the jump, and each stretch is cut to the
// time since the session began and since the stretch before it ended.
void UsageReport::settle(Session& s) {
    std::vector<Event>& ev = s.events;
    auto earlier = [](const Event& a, const Event& b) { return a.utc < b.utc; };
    if (!std::is_sorted(ev.begin(), ev.end(), earlier)) std::stable_sort(ev.begin(), ev.end(), earlier);
    size_t kept = 0;
    for (size_t i = 0; i < ev.size(); ++i) {
        bool seen = false;
        for (size_t k = kept; k-- > 0 && ev[k].utc == ev[i].utc;)
            seen = seen || ev[k].hash == ev[i].hash;
        if (seen)
            ++repeated_;
        else
            ev[kept++] = ev[i];
    }
    ev.resize(kept);
    // The clock: the end says how long the session ran.
    for (size_t i = ev.size(); i-- > 1;) {
        if (ev[i].code != kEndEvent) continue;
        const long long jump = ev[i].utc - ev.front().utc - ev[i].seconds;
        if (ev[i].seconds <= 0 || jump <= kClockSlack) break;
        size_t gapAt = 0;
        for (size_t k = 1; k <= i; ++k)
            if (ev[k].utc - ev[k - 1].utc > ev[gapAt + 1].utc - ev[gapAt].utc) gapAt = k - 1;
        const long long shift = std::min(jump, ev[gapAt + 1].utc - ev[gapAt].utc);
        for (size_t k = 0; k <= gapAt; ++k)
            ev[k].utc += shift;
        ++clockChanges_;
        break;
    }
    // One clock's days for the whole session: its first line's offset, so
    // its idle hours are split at the same midnights as its open hours.
    for (Event& e : ev)
        e.offset = ev.front().offset;
    long long stretchEnd = ev.front().utc;
    for (Event& e : ev) {
        if (e.code != kQuietEvent && e.code != kExpiredEvent) continue;
        const long long most = std::max(0LL, e.utc - stretchEnd);
        if (e.seconds > most) {
            e.seconds = most;
            ++cut_;
        }
        stretchEnd = std::max(stretchEnd, e.utc);
    }
}

void UsageReport::addAbsence(const Interval& a) {
    const long long length = a.to - a.from;
    if (length < 60) return;
    const long long start = periodStart(a.offset), stop = periodEnd(a.offset);
    const long long end = std::min(a.to, stop);
    const long long workingToEnd = workingBefore(end, a.offset, options_.workFrom, options_.workTo);
    for (WhatIfRow& row : byMinute_) {
        const long long timeout = row.minutes * 60LL;
        if (length < timeout) break;
        const long long close = a.from + timeout;
        if (close >= stop) break;
        if (close >= start) {
            ++row.closes;
            if (a.returned && length < timeout + 600) ++row.backWithin10;
        }
        // What the close frees within the period, wherever the close was.
        const long long from = std::max(close, start);
        if (end > from) {
            row.secondsFreed += (double)(end - from);
            row.secondsFreedWorking +=
                (double)(workingToEnd -
                         workingBefore(from, a.offset, options_.workFrom, options_.workTo));
        }
    }
}

void UsageReport::addFreed(UserDays& days, DayFigures& seat, long long from, long long to,
                           int offset) {
    from = std::max(from, periodStart(offset));
    to = std::min(to, periodEnd(offset));
    if (to <= from) return;
    eachDay(from, to, offset, [&](long long day, long long a, long long b) {
        dayIn(days, (int)day).secondsFreed += (std::uint32_t)(b - a);
        seat.secondsFreed += (double)(b - a);
        freedWorking_ += workingSeconds(a, b, offset, options_.workFrom, options_.workTo);
    });
}

// One seat and user's sessions, in time order.
void UsageReport::figureSeat(const std::vector<Session*>& sessions) {
    const std::string& user = sessions.front()->user;
    const std::string& computer = sessions.front()->computer;
    // The sessions' events in time order: one after the other when they do
    // not overlap, as one user's sessions on one computer mostly do.
    UserDays& days = days_[user];
    DayFigures& seatFigures = computers_[computer];
    std::vector<const Event*> timeline;
    bool overlap = false;
    for (size_t i = 0; i < sessions.size(); ++i) {
        const Session* s = sessions[i];
        addOpen(days, seatFigures,
                {s->events.front().utc, s->events.back().utc, s->events.front().offset});
        overlap = overlap || (i > 0 && sessions[i - 1]->events.back().utc > s->events.front().utc);
    }
    if (overlap) {
        for (const Session* s : sessions)
            for (const Event& e : s->events)
                timeline.push_back(&e);
        std::stable_sort(timeline.begin(), timeline.end(),
                         [](const Event* a, const Event* b) { return a->utc < b->utc; });
    }
    // The user's days: a seat's come in order, so the last is at hand.
    auto dayFigures = [&](long long day) -> DayCounts& { return dayIn(days, (int)day); };
    auto clipped = [&](long long from, long long to, int offset, auto f) {
        from = std::max(from, periodStart(offset));
        to = std::min(to, periodEnd(offset));
        if (to > from) eachDay(from, to, offset, f);
    };
    // An absence begun by a close, until the user's next sign of presence;
    // the seat freed by a close, until the user's next start.
    struct Pending {
        bool on = false;
        long long from = 0, mark = 0;
        int offset = 0;
    } absence, freed, kept;
    auto endAbsence = [&](long long at, bool returned) {
        if (!absence.on) return;
        addAbsence({absence.from, std::max(at, absence.from), absence.offset, returned});
        absence.on = false;
    };
    auto endFreed = [&](long long at) {
        if (!freed.on) return;
        addFreed(days, seatFigures, freed.from, at, freed.offset);
        freed.on = false;
    };
    // A stretch kept open while licences were free ends with the stretch,
    // or the session.
    auto endKept = [&](long long at) {
        if (!kept.on) return;
        kept.on = false;
        const bool inPeriod =
            kept.from >= periodStart(kept.offset) && kept.from < periodEnd(kept.offset);
        if (inPeriod) {
            ++dayFigures(floorDiv(kept.from + kept.offset, kDay)).keptOpen;
            ++seatFigures.keptOpen;
        }
        clipped(kept.from, std::max(at, kept.from), kept.offset,
                [&](long long day, long long a, long long b) {
                    dayFigures(day).secondsKept += (std::uint32_t)(b - a);
                    seatFigures.secondsKept += (double)(b - a);
                });
    };
    auto idle = [&](long long from, long long to, int offset) {
        clipped(from, to, offset, [&](long long day, long long a, long long b) {
            dayFigures(day).secondsIdle += (std::uint32_t)(b - a);
            seatFigures.secondsIdle += (double)(b - a);
        });
    };
    auto step = [&](const Event& e) {
        const bool inPeriod = e.utc >= periodStart(e.offset) && e.utc < periodEnd(e.offset);
        const long long dayNumber = floorDiv(e.utc + e.offset, kDay);
        if (inPeriod) {
            firstDayNumber_ = std::min(firstDayNumber_, dayNumber);
            lastDayNumber_ = std::max(lastDayNumber_, dayNumber);
        }
        // Counted on its day and seat when in the period; looked up only then.
        DayFigures scratch;
        DayCounts scratchDay;
        auto day = [&]() -> DayCounts& { return inPeriod ? dayFigures(dayNumber) : scratchDay; };
        DayFigures& seat = inPeriod ? seatFigures : scratch;
        if (e.code == kQuietEvent || e.code == kExpiredEvent || e.code == kStartEvent ||
            e.code == kEndEvent)
            endKept(e.utc);
        switch (e.code) {
        case kKeptEvent:
            if (!kept.on) kept = {true, e.utc, e.utc, e.offset};
            break;
        case kStartEvent:
            endAbsence(e.utc, true);
            endFreed(e.utc);
            ++day().sessions;
            ++seat.sessions;
            [[fallthrough]];
        case kSettingsEvent: // a timeout in force from here on in the session
            if (inPeriod && e.timeout > 0)
                ++(e.flag ? inForce_[e.timeout].second : inForce_[e.timeout].first);
            break;
        case kQuietEvent: {
            const long long from = e.utc - e.seconds;
            idle(from, e.utc, e.offset);
            if (absence.on) {
                // The count went on from the end of the idle time: one absence.
                if (from <= absence.mark + 2) {
                    endAbsence(e.utc, true);
                    break;
                }
                endAbsence(from, true);
            }
            addAbsence({from, e.utc, e.offset, true});
            break;
        }
        case kExpiredEvent:
            idle(e.utc - e.seconds, e.utc, e.offset);
            if (!absence.on) absence = {true, e.utc - e.seconds, e.utc, e.offset};
            absence.mark = e.utc;
            break;
        case kCancelledEvent:
            ++day().countdownsCancelled;
            ++seat.countdownsCancelled;
            endAbsence(e.utc, true);
            break;
        case kDisabledEvent:
            endAbsence(e.utc, true);
            break;
        case kClosedEvent:
            ++(e.flag ? day().discarded : day().saved);
            ++(e.flag ? seat.discarded : seat.saved);
            break;
        case kRescuedEvent:
            ++day().rescued;
            ++seat.rescued;
            break;
        case kWaitingCancelledEvent:
            ++day().waitingCancelled;
            ++seat.waitingCancelled;
            break;
        case kHostClosedEvent:
            ++day().closes;
            ++seat.closes;
            if (!freed.on) freed = {true, e.utc, e.utc, e.offset};
            break;
        case kEndEvent:
            if (e.flag) endAbsence(e.utc, true); // the user ended AutoCAD: present
            break;
        default:
            break;
        }
    };
    if (overlap) {
        for (const Event* e : timeline)
            step(*e);
    } else {
        for (const Session* s : sessions)
            for (const Event& e : s->events)
                step(e);
    }
    // A stretch still kept open at the seat's last line ends there.
    if (kept.on) endKept(sessions.back()->events.back().utc);
    // Still open: ended where the period ends, once every journal is read.
    if (absence.on) open_.push_back({user, computer, absence.from, absence.mark, absence.offset, false});
    if (freed.on) open_.push_back({user, computer, freed.from, freed.mark, freed.offset, true});
}

void UsageReport::figureRead() {
    // Each seat and user's sessions together, in time order.
    std::vector<Session*> all;
    all.reserve(sessions_.size());
    for (auto& kv : sessions_) {
        settle(kv.second);
        all.push_back(&kv.second);
    }
    std::sort(all.begin(), all.end(), [](const Session* a, const Session* b) {
        if (a->computer != b->computer) return a->computer < b->computer;
        if (a->user != b->user) return a->user < b->user;
        return a->events.front().utc < b->events.front().utc;
    });
    std::vector<Session*> seat;
    for (size_t i = 0; i < all.size(); ++i) {
        seat.push_back(all[i]);
        if (i + 1 == all.size() || all[i + 1]->computer != all[i]->computer ||
            all[i + 1]->user != all[i]->user) {
            figureSeat(seat);
            seat.clear();
        }
    }
    sessions_.clear();
    lastSession_ = nullptr;
}

void UsageReport::whatIfFrom() {
    std::set<int> minutes(whatIfMinutes().begin(), whatIfMinutes().end());
    for (const auto& f : inForce_)
        minutes.insert(f.first);
    whatIf_.clear();
    for (int m : minutes) {
        WhatIfRow row;
        if (m >= 1 && m <= kLongestTimeout) row = byMinute_[(size_t)m - 1];
        row.minutes = m;
        const auto force = inForce_.find(m);
        if (force != inForce_.end()) {
            row.seatsLive = force->second.first;
            row.seatsTrial = force->second.second;
        }
        whatIf_.push_back(row);
    }
}

void UsageReport::finish() {
    figureRead();
    for (const Open& o : open_) {
        const long long end = std::max(openEnd(o.offset), o.from);
        if (o.freed)
            addFreed(days_[o.user], computers_[o.computer], o.from, end, o.offset);
        else
            addAbsence({o.from, end, o.offset, false});
    }
    open_.clear();
    whatIfFrom();
    // A user's days from several seats, in order, each day once.
    for (auto& u : days_) {
        UserDays& d = u.second;
        std::stable_sort(d.begin(), d.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        size_t kept = 0;
        for (size_t i = 0; i < d.size(); ++i)
            if (kept > 0 && d[kept - 1].first == d[i].first)
                d[kept - 1].second += d[i].second;
            else
                d[kept++] = d[i];
        d.resize(kept);
    }
    for (auto& d : edges_) {
        std::sort(d.second.begin(), d.second.end());
        int now = 0, most = 0;
        for (std::uint32_t e : d.second) {
            now += (e & 3) == 1 || (e & 3) == 2 ? 1 : -1;
            most = std::max(most, now);
        }
        peak_[dayName(d.first)] = std::max(most, 1);
    }
    edges_.clear();
    if (firstDayNumber_ <= lastDayNumber_) {
        firstDay_ = dayName(firstDayNumber_);
        lastDay_ = dayName(lastDayNumber_);
    }
}

std::string usageCsv(const UsageReport& r) {
    std::string out = "\xEF\xBB\xBF"
                      "user,day,sessions,hours_open,hours_active,hours_idle,hours_freed,closes,"
                      "drawings_saved,drawings_discarded,drawings_rescued,waiting_cancelled,"
                      "countdowns_cancelled\r\n";
    char row[512];
    for (const auto& u : r.perUserDay())
        for (const auto& d : u.second) {
            DayFigures f;
            f += d.second;
            std::snprintf(row, sizeof row, ",%s,%d,%.2f,%.2f,%.2f,%.2f,%d,%d,%d,%d,%d,%d\r\n",
                          dayName(d.first).c_str(), f.sessions, f.secondsOpen / 3600,
                          f.secondsActive() / 3600, f.secondsIdle / 3600, f.secondsFreed / 3600,
                          f.closes, f.saved, f.discarded, f.rescued, f.waitingCancelled,
                          f.countdownsCancelled);
            out += csvField(u.first) + row;
        }
    return out;
}

std::string whatIfCsv(const UsageReport& r) {
    std::string out =
        "timeout_minutes,closes,hours_freed,hours_freed_working,closes_back_within_10\r\n";
    char row[160];
    for (const WhatIfRow& w : r.whatIf()) {
        std::snprintf(row, sizeof row, "%d,%ld,%.2f,%.2f,%ld\r\n", w.minutes, w.closes,
                      w.secondsFreed / 3600, w.secondsFreedWorking / 3600, w.backWithin10);
        out += row;
    }
    return out;
}
