// tarnelreport.exe run on journals with known answers: the CSV exactly,
// the page's figures, lines it cannot read counted, dates outside --from
// and --to left out. The page itself is opened in a browser by
// report_page.py, on the page this test leaves.
#include <doctest.h>
#include "textchecks.h"
#include "testkit.h"

using namespace testkit;

namespace {

const char kHeader[] =
    "\xEF\xBB\xBFtime,computer,user,session,event,seconds,drawing,action,status,detail\r\n";

int report(const std::string& dir, const std::string& args) {
    return run("\"" + binDir() + "\\tarnelreport.exe\" " + args, 60000, dir.c_str());
}

} // namespace

TEST_CASE("the usage report from two seats' journals") {
    const std::string dir = freshDir("usage-report");
    const std::string journals = dir + "\\journal";
    CreateDirectoryA(journals.c_str(), nullptr);
    writeFile(journals + "\\PC1.csv",
              std::string(kHeader) +
                  "2026-12-07T08:00:00+01:00,PC1,ana,s1,start,,,,,TimeInactivity=10\r\n"
                  "2026-12-07T09:00:00+01:00,PC1,ana,s1,quiet,1800,,,,\r\n"
                  "2026-12-07T12:00:00+01:00,PC1,ana,s1,expired,600,,,,1 drawings\r\n"
                  "2026-12-07T12:00:01+01:00,PC1,ana,s1,closed,,C:\\w\\a.dwg,2,1,"
                  "C:\\w\\tarnel_a.dwg\r\n"
                  "2026-12-07T12:00:02+01:00,PC1,ana,s1,host-closed,,,,,\r\n"
                  "2026-12-07T12:00:03+01:00,PC1,ana,s1,end,14403,,,,module\r\n"
                  "2026-12-07T13:00:03+01:00,PC1,ana,s2,start,,,,,TimeInactivity=10\r\n"
                  "2026-12-07T14:00:00+01:00,PC1,ana,s2,quie\r\n" // torn
                  "2026-12-07T17:00:03+01:00,PC1,ana,s2,end,14400,,,,user\r\n");
    writeFile(journals + "\\PC2.csv",
              std::string(kHeader) + "2026-12-07T10:00:00+01:00,PC2,bob,t1,start,,,,,\r\n"
                                     "2026-12-07T11:00:00+01:00,PC2,bob,t1,cancelled,20,,,,\r\n"
                                     // a trial run's end, as written now and before
                                     "2026-12-07T11:10:00+01:00,PC2,bob,t1,would-expire,600,,,,"
                                     "1 drawings\r\n"
                                     "2026-12-07T11:20:00+01:00,PC2,bob,t1,expired,600,,,,"
                                     "\"trial run, 1 drawings\"\r\n"
                                     "2026-12-07T11:30:00+01:00,PC2,bob,t1,quiet,3600,,,,\r\n"
                                     "2026-12-07T12:00:00+01:00,PC2,bob,t1,end,7200,,,,user\r\n"
                                     "2026-12-09T10:00:00+01:00,PC2,bob,t2,start,,,,,\r\n"
                                     "2026-12-09T11:00:00+01:00,PC2,bob,t2,end,3600,,,,user\r\n");
    writeFile(journals + "\\notes.csv", "a file of another format\r\n");
    REQUIRE(report(dir, "--from 2026-12-01 --to 2026-12-08 --out report.html --csv usage.csv "
                        "journal") == 0);
    CHECK(readFile(dir + "\\usage.csv") ==
          "user,day,sessions,hours_open,hours_active,hours_idle,hours_freed,closes,"
          "drawings_saved,drawings_discarded,drawings_rescued,waiting_cancelled,"
          "countdowns_cancelled\r\n"
          "ana,2026-12-07,2,8.00,7.33,0.67,1.00,1,1,0,0,0,0\r\n"
          "bob,2026-12-07,1,2.00,1.00,1.00,0.00,0,0,0,0,0,1\r\n");
    const std::string page = readFile(dir + "\\report.html");
    const struct {
        const char* id;
        const char* value;
    } figures[] = {
        {"fig-seats", "2"},         {"fig-users", "2"},          {"fig-sessions", "3"},
        {"fig-open", "10.00"},      {"fig-active", "8.33"},      {"fig-idle", "1.67"},
        {"fig-freed", "1.00"},      {"fig-closes", "1"},         {"fig-saved", "1"},
        {"fig-countdowns", "1"},    {"lines-skipped", "2"},      {"whatif-closes-5", "3"},
        {"whatif-hours-5", "1.42"}, {"whatif-closes-15", "2"},   {"whatif-hours-15", "1.00"},
        {"whatif-closes-45", "1"},  {"whatif-hours-45", "0.25"}, {"whatif-closes-90", "0"},
    };
    for (const auto& f : figures) {
        CAPTURE(f.id);
        CHECK_CONTAINS(page, std::string("id=\"") + f.id + "\">" + f.value + "<");
    }
    CHECK_CONTAINS(page, "Chart.js"); // the library, its licence kept
    CHECK_CONTAINS(page, "MIT");
    CHECK_LACKS(page, "<script src"); // nothing fetched at viewing time
    // The page for the browser check.
    writeFile(binDir() + "\\..\\test-files\\report-page.html", page);
}

TEST_CASE("the report's usage errors") {
    const std::string dir = freshDir("usage-report-usage");
    CHECK(report(dir, "") == 2);
    CHECK(report(dir, "--from 7.12.2026 x.csv") == 2);
    CHECK(report(dir, "missing.csv") == 1);
}
