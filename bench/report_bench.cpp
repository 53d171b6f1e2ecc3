// Usage report benchmark: journals of 10^5 and 10^6 lines (50 users over
// 30 days, more quiet stretches per session in the larger one), the
// report's reading next to a bare line-by-line read of the same bytes, and
// the memory the report holds while and after reading each.
#include <windows.h>
#include <psapi.h>
#include <cstdio>
#include <cstring>
#include <string>
#include "cmdlog/journalformat.h"
#include "report/reportmodel.h"

namespace {

double now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return (double)c.QuadPart * 1e3 / (double)f.QuadPart;
}

// A journal of about `lines` lines: 50 users, 30 days, one session a day each.
void writeJournal(const std::string& path, long lines) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fprintf(f, "\xEF\xBB\xBF%s\r\n", kJournalColumns);
    const long perSession = lines / (50 * 30) - 2;
    for (int day = 1; day <= 30; ++day)
        for (int user = 0; user < 50; ++user) {
            char session[32];
            std::snprintf(session, sizeof session, "%02d%02d", day, user);
            auto line = [&](int minute, const char* event, long seconds) {
                std::fprintf(f, "2026-11-%02dT%02d:%02d:00+01:00,PC%02d,user%02d,%s,%s,%ld,,,,\r\n",
                             day, 8 + minute / 60 % 12, minute % 60, user, user, session, event,
                             seconds);
            };
            line(0, "start", -1);
            for (long i = 0; i < perSession; ++i)
                line((int)(1 + i * 600 / (perSession + 1)), "quiet", 60 + (i * 37) % 3000);
            line(600, "end", 36000);
        }
    std::fclose(f);
}

double bareRead(const std::string& path, long& count) {
    const double a = now();
    FILE* f = std::fopen(path.c_str(), "rb");
    char chunk[4096];
    count = 0;
    while (std::fgets(chunk, sizeof chunk, f))
        ++count;
    std::fclose(f);
    return now() - a;
}

size_t privateBytes() {
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&pmc, sizeof pmc);
    return pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
}

// The report's reading of the file, as tarnelreport reads it: its time, the
// memory it holds once every line is read (each kept until the figures are
// made), and afterwards.
double reportRead(const std::string& path, size_t& reading, size_t& held) {
    const size_t before = privateBytes();
    const double a = now();
    UsageReport report{ReportOptions()};
    report.readFile(path);
    reading = privateBytes() - before;
    const double read = now() - a;
    report.finish();
    std::printf("    (reading %.0f ms, figures %.0f ms)\n", read, now() - a - read);
    const double ms = now() - a;
    held = privateBytes() - before;
    return ms;
}

} // namespace

int main() {
    std::printf("usage report: 50 users, 30 days; report next to a bare read of the same lines\n");
    for (long lines : {100000L, 1000000L}) {
        const std::string path = "bench-journal.csv";
        writeJournal(path, lines);
        long count = 0;
        const double bare = bareRead(path, count);
        size_t reading = 0, held = 0;
        const double ms = reportRead(path, reading, held);
        std::printf("  %8ld lines: report %6.0f ms, bare read %5.0f ms, ratio %5.2f (goal 3 or "
                    "less); memory with every line read %6lu KiB (%.0f bytes a line), held "
                    "after %5lu KiB\n",
                    count, ms, bare, ms / bare, (unsigned long)(reading / 1024),
                    (double)reading / (double)count, (unsigned long)(held / 1024));
        DeleteFileA(path.c_str());
    }
    return 0;
}
