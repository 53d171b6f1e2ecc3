// tarnelreport: the CAD manager's usage report from the seats' session
// journals: one self-contained HTML page, and a CSV per user and day.
//   tarnelreport [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--month YYYY-MM|last]
//                [--hours 8-18] [--out report.html] [--csv usage.csv]
//                [--whatif whatif.csv] [--now YYYY-MM-DDTHH:MM:SS+HH:MM]
//                FOLDER|FILE...
// --now: the report's clock instead of the computer's (a report as it was
// made on another day). A computer's journals (files of one name in the
// folders given) are read together, figured and let go before the next.
// Exit status: 0 written, 1 nothing could be read or written, 2 bad usage.
#include <windows.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>
#include "common/handles.h"
#include "common/utf8.h"
#include "report/reportmodel.h"
#include "report/reportpage.h"

namespace {

// An embedded resource's bytes (the charting library and its licence).
std::string resourceText(int id) {
    HRSRC r = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10)); // RT_RCDATA
    HGLOBAL g = r ? LoadResource(nullptr, r) : nullptr;
    const char* p = g ? static_cast<const char*>(LockResource(g)) : nullptr;
    return p ? std::string(p, SizeofResource(nullptr, r)) : std::string();
}

bool isFolder(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// The journals a folder holds: its *.csv files.
std::vector<std::string> journalsIn(const std::string& folder) {
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    FindHandle h(FindFirstFileA((folder + "\\*.csv").c_str(), &found));
    if (!h) return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(folder + "\\" + found.cFileName);
    } while (FindNextFileA(h.get(), &found));
    return files;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool allDigits(const std::string& s, size_t at, size_t n) {
    for (size_t i = at; i < at + n; ++i)
        if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
    return true;
}

// "YYYY-MM-DD" of a year 2000-2100, a month 1-12 and a day that month has.
bool isDate(const std::string& s) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-' || !allDigits(s, 0, 4) ||
        !allDigits(s, 5, 2) || !allDigits(s, 8, 2))
        return false;
    const int y = std::atoi(s.c_str()), m = std::atoi(s.c_str() + 5), d = std::atoi(s.c_str() + 8);
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return y >= 2000 && y <= 2100 && m >= 1 && m <= 12 && d >= 1 &&
           d <= (m == 2 && !leap ? 28 : days[m - 1]);
}

// "YYYY-MM": its first and last day; "last" is the month before this
// one by the computer's clock, for a report a scheduled task makes monthly.
bool monthBounds(std::string s, std::string& from, std::string& to) {
    if (s == "last") {
        SYSTEMTIME now;
        GetLocalTime(&now);
        const int year = now.wMonth == 1 ? now.wYear - 1 : now.wYear;
        const int month = now.wMonth == 1 ? 12 : now.wMonth - 1;
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d", year, month);
        s = text;
    }
    if (s.size() != 7 || s[4] != '-' || !isDate(s + "-01")) return false;
    from = s + "-01";
    for (const char* last : {"31", "30", "29", "28"})
        if (isDate(s + "-" + last)) {
            to = s + "-" + last;
            break;
        }
    return true;
}

// "H-H": working hours from one hour to a later one, 0 to 24.
bool hoursOf(const std::string& s, int& from, int& to) {
    const size_t dash = s.find('-');
    if (dash == std::string::npos || dash == 0 || dash > 2 || s.size() - dash - 1 < 1 ||
        s.size() - dash - 1 > 2 || !allDigits(s, 0, dash) ||
        !allDigits(s, dash + 1, s.size() - dash - 1))
        return false;
    from = std::atoi(s.c_str());
    to = std::atoi(s.c_str() + dash + 1);
    return from < to && to <= 24;
}

// A journal's computer: its file name, in any letter case.
std::string computerOf(const std::string& file) {
    std::string name = file.substr(file.find_last_of("\\/") + 1);
    for (char& c : name)
        c = (char)std::toupper((unsigned char)c);
    return name;
}

int usage() {
    std::fprintf(stderr,
                 "usage: tarnelreport [--from YYYY-MM-DD] [--to YYYY-MM-DD] "
                 "[--month YYYY-MM|last] [--hours 8-18] [--out report.html] [--csv usage.csv] "
                 "[--whatif whatif.csv] [--now YYYY-MM-DDTHH:MM:SS+HH:MM] FOLDER|FILE...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    ReportOptions options;
    options.now = (long long)std::time(nullptr);
    std::string month, out = "tarnel-report.html", csv, whatif;
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool value = i + 1 < argc;
        if (a == "--from" && value)
            options.from = argv[++i];
        else if (a == "--to" && value)
            options.to = argv[++i];
        else if (a == "--month" && value)
            month = argv[++i];
        else if (a == "--hours" && value) {
            if (!hoursOf(argv[++i], options.workFrom, options.workTo)) return usage();
        } else if (a == "--out" && value)
            out = argv[++i];
        else if (a == "--csv" && value)
            csv = argv[++i];
        else if (a == "--whatif" && value)
            whatif = argv[++i];
        else if (a == "--now" && value) {
            int offset = 0;
            if (!parseTime(argv[++i], options.now, offset)) return usage();
        }
        else if (a.rfind("--", 0) == 0)
            return usage();
        else
            inputs.push_back(a);
    }
    if (!month.empty() && (!options.from.empty() || !options.to.empty() ||
                           !monthBounds(month, options.from, options.to)))
        return usage();
    if (inputs.empty() || (!options.from.empty() && !isDate(options.from)) ||
        (!options.to.empty() && !isDate(options.to)) ||
        (!options.from.empty() && !options.to.empty() && options.to < options.from))
        return usage();
    UsageReport report(options);
    std::string sources;
    // Each computer's files together, wherever they are.
    std::map<std::string, std::vector<std::string>> byComputer;
    for (const std::string& in : inputs) {
        std::vector<std::string> files =
            isFolder(in) ? journalsIn(in) : std::vector<std::string>{in};
        for (const std::string& f : files)
            byComputer[computerOf(f)].push_back(f);
        // The page is UTF-8; the command line is in the user's code page.
        sources += (sources.empty() ? "" : ", ") + ansiToUtf8(in);
    }
    int read = 0;
    for (const auto& computer : byComputer) {
        for (const std::string& f : computer.second) {
            if (report.readFile(f)) {
                ++read;
            } else {
                std::fprintf(stderr, "tarnelreport: cannot read %s\n", f.c_str());
            }
        }
        report.figureRead();
    }
    if (read == 0) {
        std::fprintf(stderr, "tarnelreport: no journal could be read\n");
        return 1;
    }
    report.finish();
    const std::string chart = resourceText(1);
    if (!writeFile(out, reportPage(report, chart, resourceText(2),
                                   sources + " (" + std::to_string(read) + " journals)"))) {
        std::fprintf(stderr, "tarnelreport: cannot write %s\n", out.c_str());
        return 1;
    }
    if (!csv.empty() && !writeFile(csv, usageCsv(report))) {
        std::fprintf(stderr, "tarnelreport: cannot write %s\n", csv.c_str());
        return 1;
    }
    if (!whatif.empty() && !writeFile(whatif, whatIfCsv(report))) {
        std::fprintf(stderr, "tarnelreport: cannot write %s\n", whatif.c_str());
        return 1;
    }
    std::printf("tarnelreport: %ld lines read, %ld skipped, %ld repeated, %ld from the future; "
                "%s written\n",
                report.linesRead(), report.linesSkipped(), report.linesRepeated(),
                report.linesFuture(), out.c_str());
    return 0;
}
