// Usage report benchmark: an office's journals of 10^6 and 10^7 lines (2,000
// computers, one user each, one session a working day over a year, more
// quiet stretches per session in the larger one), read as tarnelreport
// reads them (one computer's files at a time), next to a bare line-by-line
// read of the same files, and the peak memory the report holds.
#include <windows.h>
#include <psapi.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "cmdlog/journalformat.h"
#include "report/reportmodel.h"

namespace {

const int kComputers = 2000;
const int kDays = 250; // working days of a year

double now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return (double)c.QuadPart * 1e3 / (double)f.QuadPart;
}

// One computer's journal: a session each working day from 2026-01-05.
void writeJournal(const std::string& path, int computer, long perSession) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fprintf(f, "\xEF\xBB\xBF%s\r\n", kJournalColumns);
    std::string buffer;
    char line[160];
    for (int d = 0; d < kDays; ++d) {
        const int dayOfYear = 4 + d / 5 * 7 + d % 5; // Monday 2026-01-05 onwards
        SYSTEMTIME st = {2026, 1, 0, 1, 0, 0, 0, 0};
        FILETIME ft;
        SystemTimeToFileTime(&st, &ft);
        ULARGE_INTEGER u = {{ft.dwLowDateTime, ft.dwHighDateTime}};
        u.QuadPart += (unsigned long long)dayOfYear * 864000000000ull;
        ft = {u.LowPart, u.HighPart};
        FileTimeToSystemTime(&ft, &st);
        auto put = [&](int minute, const char* event, long seconds) {
            std::snprintf(line, sizeof line,
                          "%04d-%02d-%02dT%02d:%02d:00+01:00,PC%04d,user%04d,%d-%d,%s,%ld,,,,\r\n",
                          st.wYear, st.wMonth, st.wDay, 8 + minute / 60 % 12, minute % 60,
                          computer, computer, computer, d, event, seconds);
            buffer += line;
        };
        put(0, "start", -1);
        for (long i = 0; i < perSession; ++i) {
            const int minute = (int)(1 + i * 599 / (perSession + 1));
            put(minute, "quiet", 60 + (i * 37) % 900);
        }
        put(600, "end", 36000);
    }
    std::fwrite(buffer.data(), 1, buffer.size(), f);
    std::fclose(f);
}

double bareRead(const std::vector<std::string>& paths, long& count) {
    const double a = now();
    count = 0;
    char chunk[4096];
    for (const std::string& p : paths) {
        FILE* f = std::fopen(p.c_str(), "rb");
        while (std::fgets(chunk, sizeof chunk, f))
            ++count;
        std::fclose(f);
    }
    return now() - a;
}

size_t privateBytes() {
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&pmc, sizeof pmc);
    return pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
}

// The report as tarnelreport makes it: each computer's journal read and
// figured before the next. The peak memory over the base, sampled after
// each computer and at the end.
double reportRead(const std::vector<std::string>& paths, size_t& peak) {
    const size_t before = privateBytes();
    peak = 0;
    const double a = now();
    {
        UsageReport report{ReportOptions()};
        for (const std::string& p : paths) {
            report.readFile(p);
            const size_t used = privateBytes();
            if (used > before + peak) peak = used - before;
            report.figureRead();
        }
        report.finish();
        const size_t used = privateBytes();
        if (used > before + peak) peak = used - before;
    }
    return now() - a;
}

// One size, in a process of its own so the memory of one is not the other's.
int runSize(long lines) {
    const long perSession = lines / (kComputers * (long)kDays) - 2;
    std::vector<std::string> paths;
    for (int c = 0; c < kComputers; ++c) {
        char name[64];
        std::snprintf(name, sizeof name, "bench-journals\\PC%04d.csv", c);
        writeJournal(name, c, perSession);
        paths.push_back(name);
    }
    long count = 0;
    const double bare = bareRead(paths, count);
    size_t peak = 0;
    const double ms = reportRead(paths, peak);
    std::printf("  %8ld lines: report %6.0f ms, bare read %5.0f ms, ratio %5.2f (goal 3 or "
                "less); peak memory %6.1f MiB (goal 64 MiB or less)\n",
                count, ms, bare, ms / bare, (double)peak / 1048576.0);
    for (const std::string& p : paths)
        DeleteFileA(p.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2) return runSize(std::atol(argv[1]));
    std::printf("usage report: %d computers, %d working days; read a computer at a time, next to a "
                "bare read of the same lines\n",
                kComputers, kDays);
    std::fflush(stdout);
    CreateDirectoryA("bench-journals", nullptr);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (const char* lines : {"1000000", "10000000"}) {
        std::string command = std::string("\"") + self + "\" " + lines;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                            &pi))
            return 1;
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    RemoveDirectoryA("bench-journals");
    return 0;
}
