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

// Three seats, figures worked out by hand (times +01:00; 2026-12-07 is a
// Monday). ana, live at 15 minutes: away 08:30-09:00, then from 17:00 until
// Tarnel closed her seat at 17:15 and she came back at 08:00 the next day.
// bob, a trial run at 15 minutes, open 22:00-03:00, away 00:00-02:00.
// "=1+2", at 30 minutes, open 23:00-01:00. Absences: 30 min, 900 min and
// 120 min.
const char kPc1[] = "2026-12-07T08:00:00+01:00,PC1,ana,s1,start,,,,,TimeInactivity=15\r\n"
                    // out of order: the quiet line comes after the close
                    "2026-12-07T17:15:00+01:00,PC1,ana,s1,expired,900,,,,1 drawings\r\n"
                    // licences were free at the end of the idle time: kept open
                    "2026-12-07T08:45:00+01:00,PC1,ana,s1,kept,900,,,,2 of 10 licences free\r\n"
                    "2026-12-07T09:00:00+01:00,PC1,ana,s1,quiet,1800,,,,\r\n"
                    "2026-12-07T17:15:01+01:00,PC1,ana,s1,closed,,C:\\w\\a.dwg,2,1,"
                    "C:\\w\\tarnel_a.dwg\r\n"
                    "2026-12-07T17:15:02+01:00,PC1,ana,s1,host-closed,,,,,\r\n"
                    "2026-12-07T17:15:03+01:00,PC1,ana,s1,end,33303,,,,module\r\n"
                    "2026-12-08T08:00:00+01:00,PC1,ana,s2,start,,,,,TimeInactivity=15\r\n"
                    "2026-12-08T10:00:00+01:00,PC1,ana,s2,end,7200,,,,user\r\n";

void writeJournals(const std::string& dir) {
    const std::string journals = dir + "\\journal", copy = dir + "\\copy";
    CreateDirectoryA(journals.c_str(), nullptr);
    CreateDirectoryA(copy.c_str(), nullptr);
    writeFile(journals + "\\PC1.csv", std::string(kHeader) + kPc1);
    writeFile(copy + "\\PC1.csv", std::string(kHeader) + kPc1); // the same file again
    writeFile(journals + "\\PC2.csv",
              std::string(kHeader) +
                  "2026-12-07T22:00:00+01:00,PC2,bob,t1,start,,,,,TimeInactivity=15;DryRun=1\r\n"
                  "2026-12-08T01:00:00+01:00,PC2,bob,t1,would-expire,900,,,,1 drawings\r\n"
                  // a trial run's stretch kept open, asked again five minutes later
                  "2026-12-08T00:15:00+01:00,PC2,bob,t1,would-keep,900,,,,5 of 10 licences free\r\n"
                  "2026-12-08T00:20:00+01:00,PC2,bob,t1,would-keep,1200,,,,4 of 10 licences free\r\n" +
                  std::string("\0\0\0 damaged\r\n", 13) +
                  "1969-12-31T23:00:00+01:00,PC2,bob,t1,quiet,60,,,,\r\n"
                  "2026-12-08T02:00:00+01:00,PC2,bob,t1,quiet,7200,,,,\r\n"
                  "2026-12-08T03:00:00+01:00,PC2,bob,t1,end,18000,,,,user\r\n");
    // A user name a spreadsheet would run, as the journal writes it, on a
    // computer whose name is markup.
    writeFile(journals + "\\PC3.csv",
              std::string(kHeader) +
                  "2026-12-07T23:00:00+01:00,<i>PC3</i>,'=1+2,u1,start,,,,,TimeInactivity=30\r\n"
                  // a policy changed the timeout mid-session: in force too
                  "2026-12-08T00:00:00+01:00,<i>PC3</i>,'=1+2,u1,settings,,,,,TimeInactivity=20\r\n"
                  "2026-12-08T01:00:00+01:00,<i>PC3</i>,'=1+2,u1,end,7200,,,,user\r\n");
    writeFile(journals + "\\notes.csv", "a file of another format\r\n");
}

const char kCsvHeader[] =
    "\xEF\xBB\xBFuser,day,sessions,hours_open,hours_active,hours_idle,hours_freed,closes,"
    "drawings_saved,drawings_discarded,drawings_rescued,waiting_cancelled,countdowns_cancelled\r\n";

} // namespace

TEST_CASE("the usage report: clock days, hours freed until the user came back, the what-if "
          "from absences, each line once") {
    const std::string dir = freshDir("usage-report");
    writeJournals(dir);
    REQUIRE(report(dir, "--out report.html --csv usage.csv --whatif whatif.csv journal copy") == 0);
    CHECK(readFile(dir + "\\usage.csv") ==
          std::string(kCsvHeader) + "'=1+2,2026-12-07,1,1.00,1.00,0.00,0.00,0,0,0,0,0,0\r\n"
                                    "'=1+2,2026-12-08,0,1.00,1.00,0.00,0.00,0,0,0,0,0,0\r\n"
                                    "ana,2026-12-07,1,9.25,8.50,0.75,6.75,1,1,0,0,0,0\r\n"
                                    "ana,2026-12-08,1,2.00,2.00,0.00,8.00,0,0,0,0,0,0\r\n"
                                    "bob,2026-12-07,1,2.00,2.00,0.00,0.00,0,0,0,0,0,0\r\n"
                                    "bob,2026-12-08,0,3.00,1.00,2.00,0.00,0,0,0,0,0,0\r\n");
    CHECK(readFile(dir + "\\whatif.csv") ==
          "timeout_minutes,closes,hours_freed,hours_freed_working,closes_back_within_10\r\n"
          "5,3,17.25,1.33,0\r\n"
          "10,3,17.00,1.17,0\r\n"
          "15,3,16.75,1.00,0\r\n"
          "20,3,16.50,0.83,0\r\n"
          "30,3,16.00,0.50,1\r\n"
          "45,2,15.50,0.25,0\r\n"
          "60,2,15.00,0.00,0\r\n"
          "90,2,14.00,0.00,0\r\n"
          "120,2,13.00,0.00,1\r\n");
    const std::string page = readFile(dir + "\\report.html");
    const struct {
        const char* id;
        const char* value;
    } figures[] = {
        {"fig-seats", "3"},
        {"fig-users", "3"},
        {"fig-sessions", "4"},
        {"fig-open", "18.25"},
        {"fig-active", "15.50"},
        {"fig-idle", "2.75"},
        {"fig-freed", "14.75"},
        {"fig-freed-working", "0.75"},
        {"fig-closes", "1"},
        {"fig-saved", "1"},
        {"lines-read", "30"},
        {"lines-skipped", "3"},
        {"lines-repeated", "9"},
        {"fig-kept", "2"},
        {"fig-kept-hours", "2.00"},
        {"period", "2026-12-07 to 2026-12-08"},
        {"in-force", "15 min, 20 min, 30 min"},
        {"whatif-force-15", "in force (2 sessions), trial run (1 session)"},
        {"whatif-force-30", "in force (1 session)"},
        {"whatif-force-20", "in force (1 session)"},
        {"whatif-force-45", ""},
        {"whatif-back-30", "1"},
    };
    for (const auto& f : figures) {
        CAPTURE(f.id);
        CHECK_CONTAINS(page, std::string("id=\"") + f.id + "\">" + f.value + "<");
    }
    // Kept open per user: ana 08:45 to 09:00, bob 00:15 to 02:00.
    CHECK_CONTAINS(page, "<td>1</td><td>0.25</td></tr>");
    CHECK_CONTAINS(page, "<td>1</td><td>1.75</td></tr>");
    CHECK_CONTAINS(page, "(kept open 2 times, 2.00 idle hours, above)");
    // The what-if comes right after the summary.
    CHECK(page.find("id=\"whatif\"") < page.find("id=\"chart-days\""));
    CHECK_CONTAINS(page, "<td>=1+2</td>");
    CHECK_CONTAINS(page, "<td>&lt;i&gt;PC3&lt;/i&gt;</td>");
    CHECK_CONTAINS(page, "Chart.js"); // the library, its licence kept
    CHECK_CONTAINS(page, "MIT");
    CHECK_LACKS(page, "<script src"); // nothing fetched at viewing time
    // The page for the browser check.
    writeFile(binDir() + "\\..\\test-files\\report-page.html", page);
}

TEST_CASE("the usage report names the folders given as the page's UTF-8, whatever their "
          "characters") {
    const std::string dir = freshDir("usage-report-umlaut");
    const std::string folder = "Journal \xFC"; // "Journal ü" in the user's code page
    REQUIRE(CreateDirectoryA((dir + "\\" + folder).c_str(), nullptr));
    writeFile(dir + "\\" + folder + "\\PC1.csv", std::string(kHeader) + kPc1);
    REQUIRE(report(dir, "--out report.html \"" + folder + "\"") == 0);
    CHECK_CONTAINS(readFile(dir + "\\report.html"), "From Journal \xC3\xBC (1 journals)");
}

TEST_CASE("the usage report from a day inside sessions: cut at the edge, not dropped") {
    const std::string dir = freshDir("usage-report-from");
    writeJournals(dir);
    REQUIRE(report(dir, "--from 2026-12-08 --hours 0-24 --csv usage.csv --whatif whatif.csv "
                        "--out report.html journal") == 0);
    CHECK(readFile(dir + "\\usage.csv") ==
          std::string(kCsvHeader) + "'=1+2,2026-12-08,0,1.00,1.00,0.00,0.00,0,0,0,0,0,0\r\n"
                                    "ana,2026-12-08,1,2.00,2.00,0.00,8.00,0,0,0,0,0,0\r\n"
                                    "bob,2026-12-08,0,3.00,1.00,2.00,0.00,0,0,0,0,0,0\r\n");
    // Only bob's absence is closed within the period; ana's, closed the day
    // before, frees its part in the period, 00:00 to 08:00, as the summary
    // does. A Tuesday night is working time from 0 to 24.
    CHECK(readFile(dir + "\\whatif.csv") ==
          "timeout_minutes,closes,hours_freed,hours_freed_working,closes_back_within_10\r\n"
          "5,1,9.92,9.92,0\r\n"
          "10,1,9.83,9.83,0\r\n"
          "15,1,9.75,9.75,0\r\n"
          "20,1,9.67,9.67,0\r\n"
          "30,1,9.50,9.50,0\r\n"
          "45,1,9.25,9.25,0\r\n"
          "60,1,9.00,9.00,0\r\n"
          "90,1,8.50,8.50,0\r\n"
          "120,1,8.00,8.00,1\r\n");
    CHECK_CONTAINS(readFile(dir + "\\report.html"), "id=\"period\">2026-12-08 to 2026-12-08<");
    // A whole month, and the month before this one as a scheduled task asks.
    REQUIRE(report(dir, "--month 2026-12 --out month.html journal") == 0);
    CHECK_CONTAINS(readFile(dir + "\\month.html"), "id=\"period\">2026-12-01 to 2026-12-31<");
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int month = now.wMonth == 1 ? 12 : now.wMonth - 1;
    char first[16];
    std::snprintf(first, sizeof first, "%04d-%02d-01", now.wMonth == 1 ? now.wYear - 1 : now.wYear,
                  month);
    REQUIRE(report(dir, "--month last --out last.html journal") == 0);
    CHECK_CONTAINS(readFile(dir + "\\last.html"), std::string("id=\"period\">") + first + " to ");
}

TEST_CASE("the usage report survives wrong clocks: a line from the future, a stretch longer "
          "than its session, a session whose clock jumped") {
    const std::string dir = freshDir("usage-report-clocks");
    const std::string journals = dir + "\\journal";
    CreateDirectoryA(journals.c_str(), nullptr);
    writeFile(journals + "\\PC1.csv",
              std::string(kHeader) +
                  "2026-12-07T08:00:00+01:00,PC1,ana,s1,start,,,,,TimeInactivity=15\r\n"
                  "2026-12-07T17:15:00+01:00,PC1,ana,s1,expired,900,,,,1 drawings\r\n"
                  "2026-12-07T17:15:02+01:00,PC1,ana,s1,host-closed,,,,,\r\n"
                  "2026-12-07T17:15:03+01:00,PC1,ana,s1,end,33303,,,,module\r\n"
                  "2026-12-08T08:00:00+01:00,PC1,ana,s2,start,,,,,TimeInactivity=15\r\n"
                  "2026-12-08T09:00:00+01:00,PC1,ana,s2,end,3600,,,,user\r\n");
    writeFile(journals + "\\PC9.csv",
              std::string(kHeader) +
                  "2099-01-01T10:00:00+01:00,PC9,zed,z1,start,,,,,TimeInactivity=15\r\n");
    writeFile(journals + "\\PC5.csv",
              std::string(kHeader) +
                  "2026-12-07T09:00:00+01:00,PC5,mal,m1,start,,,,,TimeInactivity=15\r\n"
                  "2026-12-07T09:30:00+01:00,PC5,mal,m1,quiet,600,,,,\r\n"
                  "2026-12-07T10:00:00+01:00,PC5,mal,m1,quiet,864000,,,,\r\n"
                  "2026-12-07T10:00:05+01:00,PC5,mal,m1,end,3605,,,,user\r\n");
    writeFile(journals + "\\PC6.csv",
              std::string(kHeader) +
                  "2009-01-01T08:00:00+01:00,PC6,cy,c1,start,,,,,TimeInactivity=15\r\n"
                  "2026-12-15T10:00:00+01:00,PC6,cy,c1,quiet,600,,,,\r\n"
                  "2026-12-15T17:00:00+01:00,PC6,cy,c1,end,32400,,,,user\r\n");
    REQUIRE(report(dir, "--now 2026-12-20T12:00:00+01:00 --month 2026-12 --out report.html "
                        "--csv usage.csv --whatif whatif.csv journal") == 0);
    CHECK(readFile(dir + "\\usage.csv") ==
          std::string(kCsvHeader) + "ana,2026-12-07,1,9.25,9.00,0.25,6.75,1,0,0,0,0,0\r\n"
                                    "ana,2026-12-08,1,1.00,1.00,0.00,8.00,0,0,0,0,0,0\r\n"
                                    "cy,2026-12-15,1,9.00,8.83,0.17,0.00,0,0,0,0,0,0\r\n"
                                    "mal,2026-12-07,1,1.00,0.33,0.67,0.00,0,0,0,0,0,0\r\n");
    CHECK(readFile(dir + "\\whatif.csv") ==
          "timeout_minutes,closes,hours_freed,hours_freed_working,closes_back_within_10\r\n"
          "5,4,15.50,1.50,2\r\n"
          "10,4,15.17,1.17,2\r\n"
          "15,2,15.00,1.00,0\r\n"
          "20,2,14.83,0.83,0\r\n"
          "30,2,14.50,0.50,1\r\n"
          "45,1,14.25,0.25,0\r\n"
          "60,1,14.00,0.00,0\r\n"
          "90,1,13.50,0.00,0\r\n"
          "120,1,13.00,0.00,0\r\n");
    const std::string page = readFile(dir + "\\report.html");
    for (const char* figure : {"id=\"lines-future\">1<", "id=\"lines-cut\">1<",
                               "id=\"clock-changes\">1<", "id=\"fig-freed\">14.75<",
                               "id=\"period\">2026-12-01 to 2026-12-31<"}) {
        CAPTURE(figure);
        CHECK_CONTAINS(page, figure);
    }
    // A clock that is no time at all is a usage error.
    CHECK(report(dir, "--now yesterday journal") == 2);
}

TEST_CASE("the report's usage errors") {
    const std::string dir = freshDir("usage-report-usage");
    CHECK(report(dir, "") == 2);
    CHECK(report(dir, "--from 7.12.2026 x.csv") == 2);
    CHECK(report(dir, "missing.csv") == 1);
    for (const char* bad :
         {"--month 2026-13 x.csv", "--month 2026-12 --from 2026-12-01 x.csv",
          "--from 2026-02-30 x.csv", "--from 2026-12-09 --to 2026-12-08 x.csv",
          "--hours 18-8 x.csv", "--hours 8-25 x.csv", "--from 1969-12-31 x.csv"}) {
        CAPTURE(bad);
        CHECK(report(dir, bad) == 2);
    }
}
