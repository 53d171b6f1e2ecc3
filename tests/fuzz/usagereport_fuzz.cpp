// The usage report from any journal bytes: lines split at LF, read with no
// period and again with one, then the figures and both CSVs. Without a
// period a longer timeout never closes more nor frees more; no figure is
// negative or not a number; no day or computer is idle longer than open;
// nothing reads past a line.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include "report/reportmodel.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void checkDay(const DayFigures& d) {
    for (double v : {d.secondsOpen, d.secondsIdle, d.secondsFreed})
        check(std::isfinite(v) && v >= 0);
    check(d.secondsIdle <= d.secondsOpen + 1e-6);
    check(d.sessions >= 0 && d.closes >= 0);
}

UsageReport read(const std::string& text, ReportOptions options) {
    UsageReport r(options);
    size_t begin = 0;
    for (size_t nl; (nl = text.find('\n', begin)) != std::string::npos; begin = nl + 1)
        r.addLine(text.data() + begin, nl - begin);
    r.addLine(text.data() + begin, text.size() - begin);
    r.finish();
    check(r.linesSkipped() <= r.linesRead() && r.linesRepeated() <= r.linesRead());
    for (const auto& u : r.perUserDay())
        for (const auto& d : u.second) {
            DayFigures f;
            f += d.second;
            checkDay(f);
        }
    for (const auto& c : r.perComputer())
        checkDay(c.second);
    for (const WhatIfRow& w : r.whatIf()) {
        check(std::isfinite(w.secondsFreed) && w.secondsFreed >= 0);
        check(w.secondsFreedWorking >= 0 && w.secondsFreedWorking <= w.secondsFreed + 1e-6);
        check(w.backWithin10 <= w.closes);
    }
    check(usageCsv(r).compare(0, 3, "\xEF\xBB\xBF") == 0);
    check(!whatIfCsv(r).empty());
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const UsageReport whole = read(text, ReportOptions());
    const std::vector<WhatIfRow>& w = whole.whatIf();
    for (size_t i = 1; i < w.size(); ++i) {
        check(w[i].closes <= w[i - 1].closes);
        check(w[i].secondsFreed <= w[i - 1].secondsFreed + 1e-6);
    }
    ReportOptions cut;
    cut.from = "2026-12-07";
    cut.to = "2026-12-08";
    cut.workFrom = size % 12;
    cut.workTo = 12 + size % 13;
    cut.now = 1796860800 - (long long)(size % 4) * 86400; // lines after it are from the future
    read(text, cut);
    return 0;
}
