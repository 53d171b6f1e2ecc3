// tarnelreport: the CAD manager's usage report from the seats' session
// journals: one self-contained HTML page, and a CSV per user and day.
//   tarnelreport [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--out report.html]
//                [--csv usage.csv] FOLDER|FILE...
// Exit status: 0 written, 1 nothing could be read or written, 2 bad usage.
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "common/handles.h"
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

bool isDate(const std::string& s) {
    int y, m, d;
    return s.size() == 10 && std::sscanf(s.c_str(), "%4d-%2d-%2d", &y, &m, &d) == 3;
}

int usage() {
    std::fprintf(stderr, "usage: tarnelreport [--from YYYY-MM-DD] [--to YYYY-MM-DD] "
                         "[--out report.html] [--csv usage.csv] FOLDER|FILE...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string from, to, out = "tarnel-report.html", csv;
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool value = i + 1 < argc;
        if (a == "--from" && value)
            from = argv[++i];
        else if (a == "--to" && value)
            to = argv[++i];
        else if (a == "--out" && value)
            out = argv[++i];
        else if (a == "--csv" && value)
            csv = argv[++i];
        else if (a.rfind("--", 0) == 0)
            return usage();
        else
            inputs.push_back(a);
    }
    if (inputs.empty() || (!from.empty() && !isDate(from)) || (!to.empty() && !isDate(to)))
        return usage();
    UsageReport report(from, to);
    std::string sources;
    int read = 0;
    for (const std::string& in : inputs) {
        std::vector<std::string> files =
            isFolder(in) ? journalsIn(in) : std::vector<std::string>{in};
        for (const std::string& f : files) {
            if (report.readFile(f)) {
                ++read;
            } else {
                std::fprintf(stderr, "tarnelreport: cannot read %s\n", f.c_str());
            }
        }
        sources += (sources.empty() ? "" : ", ") + in;
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
    std::printf("tarnelreport: %ld lines read, %ld skipped; %s written\n", report.linesRead(),
                report.linesSkipped(), out.c_str());
    return 0;
}
