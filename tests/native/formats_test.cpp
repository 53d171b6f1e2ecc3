// The text formats built natively with sanitizers: settings lines, report
// blocks, command log records, save names and rescue names.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>
#include "textchecks.h"
#include <cstdlib>
#include <random>
#include "idle/closeaction.h"
#include "idle/licensestatus.h"
#include "idle/rescuename.h"
#include "idle/savename.h"
#include "cmdlog/logfilename.h"
#include "cmdlog/journalformat.h"
#include "cmdlog/logrecord.h"
#include "idle/reportformat.h"
#include "port/hostport.h"
#include "report/reportmodel.h"
#include "settings/settingsformat.h"
#include "settings/settingspolicy.h"

using namespace settingsformat;

TEST_CASE("scrambling undoes itself and keeps line breaks, end-of-file and zero out") {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::string line(rng() % 300, ' ');
        for (char& c : line)
            c = (char)(0x20 + rng() % 0xE0); // printable, both halves
        std::string s = line;
        scramble(s);
        for (char c : s)
            CHECK_FALSE((c == '\n' || c == '\r' || c == 0x1A || c == '\0'));
        scramble(s);
        CHECK(s == line);
    }
}

TEST_CASE("lines split at the first colon, trimmed") {
    std::string k, v;
    CHECK(splitLine("  Logfilepath :  C:\\a:b  ", k, v));
    CHECK(k == "Logfilepath");
    CHECK(v == "C:\\a:b");
    CHECK_FALSE(splitLine("no colon", k, v));
    CHECK(splitLine(":", k, v));
    CHECK(k == "");
    CHECK(v == "");
    CHECK(equalsNoCase("tIMEcountDOWN", "TimeCountdown"));
    CHECK_FALSE(equalsNoCase("TimeCountdow", "TimeCountdown"));
    CHECK_FALSE(equalsNoCase("TimeCountdownX", "TimeCountdown"));
    CHECK(trim(" \t ") == "");
}

TEST_CASE("the licence keys: read in any case within their ranges, written only when set") {
    struct Row {
        const char* line;
        const char* key;     // the key that line sets, or null: refused
        const char* written; // the line it writes back
    };
    const Row rows[] = {
        {"licenseserver: 27000@lic1;27000@lic2 ", "LicenseServer",
         "LicenseServer:27000@lic1;27000@lic2"},
        {"LicenseFeature:ACAD", "LicenseFeature", "LicenseFeature:ACAD"},
        {"LicenseFree:999", "LicenseFree", "LicenseFree:999"},
        {"LicenseFree:1000", nullptr, nullptr},
        {"LicenseFree:0", nullptr, nullptr},
        {"LicenseRecheck:60", "LicenseRecheck", "LicenseRecheck:60"},
        {"LicenseRecheck:61", nullptr, nullptr},
        {"LicenseTool:C:\\flexlm\\lmutil.exe", "LicenseTool",
         "LicenseTool:C:\\flexlm\\lmutil.exe"},
    };
    for (const Row& r : rows) {
        CAPTURE(r.line);
        std::string line = r.line;
        scramble(line);
        Values v;
        const std::vector<bool> set = readInto(v, line + "\r\n");
        const std::vector<std::string> lines = plainLinesOf(v);
        if (!r.key) {
            CHECK(lines.size() == (size_t)kBaseKeyCount);
            continue;
        }
        const KeyInfo* k = findKey(r.key);
        REQUIRE(k != nullptr);
        CHECK(set[(size_t)(k - kKeys)]);
        REQUIRE(lines.size() == (size_t)kBaseKeyCount + 1);
        CHECK(lines.back() == r.written);
    }
    // At their defaults they are not written at all.
    Values v;
    v.licenseFree = 1;
    v.licenseRecheck = 5;
    CHECK(plainLinesOf(v).size() == (size_t)kBaseKeyCount);
}

TEST_CASE("report blocks and registry messages with the built-in texts") {
    ReportTexts t = builtInReportTexts();
    const std::string when = "06.12.2026 at 18:40:05";
    CHECK(withCrLf(reportBlock(t, when, "D:\\work\\tarnel_plan.dwg", SaveToOtherDrawing, 1)) ==
          "06.12.2026 at 18:40:05\r\n  Drawing: D:\\work\\tarnel_plan.dwg \r\n"
          "Save to other dwg.  Status: 1 \r\n" +
              std::string(59, '=') + "\r\n");
    CHECK(reportBlock(t, when, "", QuitWithoutSaving, 1) ==
          when + "\n  Action: Quit, don't save.\n" + std::string(59, '=') + "\n");
    CHECK(registryMessage(t, when, "", QuitWithoutSaving, 1) ==
          "Your last session was aborted 06.12.2026 at 18:40:05.");
    CHECK(registryMessage(t, when, "D:\\w\\p.dwg", SaveToCurrentDrawing, 1) ==
          "Your last session was saved to D:\\w\\p.dwg 06.12.2026 at 18:40:05 with status 1.");
    std::string longName(5000, 'x');
    CHECK(registryMessage(t, when, longName, SaveToCurrentDrawing, 1).size() ==
          longName.size() + 69);
    // Saved neither there nor as a rescue copy: no word of a save.
    CHECK(registryMessage(t, when, "D:\\w\\p.dwg", SaveToOtherDrawing, 0) ==
          "Your last session could not save D:\\w\\p.dwg 06.12.2026 at 18:40:05. The drawing was "
          "left open with its changes.");
}

TEST_CASE("a rescued drawing's block and message name both files") {
    ReportTexts t = builtInReportTexts();
    const std::string when = "08.12.2026 at 02:10:00";
    const std::string rescue = "C:\\Temp\\Tarnel rescue\\plan_20261208-021000.dwg";
    CHECK(withCrLf(rescueBlock(t, when, "N:\\jobs\\plan.dwg", SaveToCurrentDrawing, rescue)) ==
          "08.12.2026 at 02:10:00\r\n  Drawing: N:\\jobs\\plan.dwg \r\n"
          "Save to current dwg.  Status: 0 \r\n"
          "  Could not be saved there; rescue copy: C:\\Temp\\Tarnel "
          "rescue\\plan_20261208-021000.dwg "
          "\r\n" +
              std::string(59, '=') + "\r\n");
    CHECK_CONTAINS(rescueBlock(t, when, "N:\\tarnel_plan.dwg", SaveToOtherDrawing, rescue),
                   "Save to other dwg.  Status: 0 \n");
    CHECK(rescueMessage(t, when, "N:\\jobs\\plan.dwg", rescue) ==
          "Your last session could not save N:\\jobs\\plan.dwg 08.12.2026 at 02:10:00. A rescue "
          "copy was saved to C:\\Temp\\Tarnel rescue\\plan_20261208-021000.dwg.");
}

TEST_CASE("every rescued drawing of a close is named in the message: three, then how many more") {
    ReportTexts t = builtInReportTexts();
    const std::string when = "08.12.2026 at 02:10:00";
    std::vector<std::pair<std::string, std::string>> rescued;
    std::vector<std::string> sentences;
    for (int i = 1; i <= 5; ++i) {
        const std::string target = "N:\\d" + std::to_string(i) + ".dwg";
        const std::string copy = "C:\\R\\d" + std::to_string(i) + "_s.dwg";
        rescued.push_back({target, copy});
        sentences.push_back(rescueMessage(t, when, target, copy));
    }
    const struct {
        size_t drawings;
        std::string message;
    } rows[] = {
        {1, sentences[0]},
        {2, sentences[0] + "\n" + sentences[1]},
        {3, sentences[0] + "\n" + sentences[1] + "\n" + sentences[2]},
        {5, sentences[0] + "\n" + sentences[1] + "\n" + sentences[2] +
                "\nAnd 2 more drawings went to rescue copies: see tarnel.log."},
    };
    for (const auto& r : rows) {
        CAPTURE(r.drawings);
        const std::vector<std::pair<std::string, std::string>> some(rescued.begin(),
                                                                     rescued.begin() + r.drawings);
        CHECK(rescuesMessage(t, when, some) == r.message);
    }
}

TEST_CASE("rescue names: the drawing's base name and the time, a number when taken") {
    CHECK(rescueNameIn("C:\\T\\Tarnel rescue", "N:\\jobs\\plan.dwg", "20261208-021000", 1) ==
          "C:\\T\\Tarnel rescue\\plan_20261208-021000.dwg");
    CHECK(rescueNameIn("C:\\T\\", "N:\\jobs\\plan.dwg", "s", 3) == "C:\\T\\plan_s (3).dwg");
    CHECK(rescueNameIn("C:\\T", "Drawing1", "s", 1) == "C:\\T\\Drawing1_s");
    CHECK(rescueNameIn("C:\\T", "\\\\srv\\a.b\\x.y.dwg", "s", 1) == "C:\\T\\x.y_s.dwg");
    CHECK(rescueNameIn("C:\\T", "D:/cad/.dwg", "s", 1) == "C:\\T\\.dwg_s");
    CHECK(rescueNameIn("C:\\T", "N:\\jobs\\", "s", 1) == "C:\\T\\drawing_s");
}

TEST_CASE("command log records, headers and names") {
    TimeStamp a = {1765000000, 900}, b = {1765000001, 100};
    std::string r = logRecord(nullptr, a, b);
    CHECK_STARTS(r, "Unknown command (LISP function)\tStarted ");
    CHECK_CONTAINS(r, "\tElapsed seconds 0, miliseconds 200\n");
    std::string longName(10000, 'C');
    CHECK(logRecord(longName.c_str(), a, a).find("Command " + longName + "\t") == 0);
    auto env = [](const char* v) -> const char* {
        std::string s(v);
        return s == "AC_PROJ" ? "P" : s == "USERDOMAIN" ? "" : nullptr;
    };
    CHECK(logHeader(env) == "Project: P\nDomain: \n");
    CHECK(logFileNameFor(0, "C:\\l", "u", "x") == "C:\\l\\tarnel.log");
    CHECK(logFileNameFor(1, "C:\\l", "u", "202612061816") == "C:\\l\\u_202612061816.log");
    CHECK(logFileNameFor(1, "C:\\l", nullptr, "202612061816") == "C:\\l\\Unknown_202612061816.log");
    CHECK(logFileNameFor(2, "C:\\l", "u", "x").empty());
}

TEST_CASE("save names") {
    CHECK(saveNameIn(SaveToOtherDrawing, "D:\\work\\plan.dwg", "C:\\") ==
          "D:\\work\\tarnel_plan.dwg");
    CHECK(saveNameIn(SaveToOtherDrawing, "plan.dwg", "C:\\") == "C:\\tarnel_plan.dwg");
    CHECK(saveNameIn(SaveToOtherDrawing, "", "C:\\w") == "C:\\w\\tarnel_");
    CHECK(saveNameIn(7, "D:\\plan.dwg", "C:\\w").empty());
    // A drawing that never had a file of its own lands in the working folder.
    CHECK(saveNameIn(SaveToCurrentDrawing, "Drawing1.dwg", "C:\\w\\") == "C:\\w\\Drawing1.dwg");
    CHECK(numberedName("C:\\w\\Drawing1.dwg", 1) == "C:\\w\\Drawing1.dwg");
    CHECK(numberedName("C:\\w\\tarnel_Drawing1.dwg", 2) == "C:\\w\\tarnel_Drawing1 (2).dwg");
    CHECK(numberedName("C:\\w.d\\Drawing1", 12) == "C:\\w.d\\Drawing1 (12)");
}

TEST_CASE("journal lines: quoting, one line per event, and the time with its offset") {
    const struct {
        const char* text;
        const char* field;
    } fields[] = {
        {"plain", "plain"},
        {"C:\\a,b.dwg", "\"C:\\a,b.dwg\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"", ""},
        // What a spreadsheet would run gets a mark that the reader takes off.
        {"=1+2", "'=1+2"},
        {"@SUM(1+1)", "'@SUM(1+1)"},
        {"+49 30", "'+49 30"},
        {"-x", "'-x"},
        {"\tx", "'\tx"},
        {"=HYPERLINK(\"http://h\",\"x\")", "\"'=HYPERLINK(\"\"http://h\"\",\"\"x\"\")\""},
        {"'=x", "''=x"},
        {"''", "'''"},
        {"it's", "it's"},
        {"'", "'"},
    };
    for (const auto& f : fields) {
        CAPTURE(f.text);
        CHECK(csvField(f.text) == f.field);
        std::vector<std::string> back;
        CHECK(splitCsvLine(csvField(f.text) + ",x", back));
        REQUIRE(back.size() == 2);
        CHECK(back[0] == f.text);
    }
    JournalEvent e;
    e.event = "closed";
    e.drawing = "D:\\w\\a, b.dwg";
    e.action = 2;
    e.status = 1;
    e.detail = "two\r\nlines";
    CHECK(journalLine("T", "PC", "ana", "s1", e) ==
          "T,PC,ana,s1,closed,,\"D:\\w\\a, b.dwg\",2,1,two  lines\r\n");
    std::vector<std::string> f;
    CHECK_FALSE(splitCsvLine("a,\"open", f));
    CHECK(journalTimeText({2026, 12, 8, 14, 5, 2, 60}) == "2026-12-08T14:05:02+01:00");
    CHECK(journalTimeText({2026, 1, 31, 23, 59, 59, -210}) == "2026-01-31T23:59:59-03:30");
    CHECK(journalTimeText({2026, 6, 1, 0, 0, 0, 0}) == "2026-06-01T00:00:00+00:00");
}

TEST_CASE("the usage report reads damaged lines as skipped, each line once, in time order") {
    UsageReport r{ReportOptions()};
    const std::string lines[] = {
        std::string("\0\0\0", 3),
        std::string(1, '\0') + "2026-12-07T09:00:00+00:00,PC,u,s,quiet,60,,,,",
        "1969-12-31T23:59:59+01:00,PC,u,s,quiet,60,,,,",
        "2101-01-01T00:00:00+00:00,PC,u,s,quiet,60,,,,",
        "2026-12-07T09:00:00+99:00,PC,u,s,quiet,60,,,,",
        "2026-12-07T10:00:00+00:00,PC,u,s,quiet,99999999999999999999,,,,",
        "2026-12-07T11:00:00+00:00,PC,u,s,end,7200,,,,user",
        "2026-12-07T09:30:00+00:00,PC,u,s,quiet,600,,,,",
        "2026-12-07T09:00:00+00:00,PC,u,s,start,,,,,TimeInactivity=15",
        "2026-12-07T09:30:00+00:00,PC,u,s,quiet,600,,,,",
        // A NUL inside a line that reads otherwise: a damaged line all the same.
        std::string("2026-12-07T10:50:00+00:00,PC,u,s,quiet,1200,,,,x\0", 49),
    };
    for (const std::string& l : lines)
        r.addLine(l);
    r.finish();
    CHECK(r.linesRead() == 11);
    CHECK(r.linesSkipped() == 6);
    CHECK(r.linesRepeated() == 1);
    REQUIRE(r.perUserDay().at("u").size() == 1);
    CHECK(dayName(r.perUserDay().at("u")[0].first) == "2026-12-07");
    const DayCounts& d = r.perUserDay().at("u")[0].second;
    CHECK(d.sessions == 1);
    CHECK(d.secondsOpen == 7200);
    CHECK(d.secondsIdle == 600);
    REQUIRE(r.whatIf().size() == 9);
    CHECK(r.whatIf()[0].closes == 1);
    CHECK(r.whatIf()[0].secondsFreed == 300);
    CHECK(r.whatIf()[1].closes == 1);
    CHECK(r.whatIf()[1].backWithin10 == 1);
    CHECK(r.whatIf()[2].closes == 0);
    CHECK(r.whatIf()[2].seatsLive == 1);
}

TEST_CASE("settings by policy: the computer's over the user's over the file's, bad values "
          "ignored one by one with their reason") {
    using settingspolicy::RawValue;
    using settingspolicy::Source;
    auto dword = [](const char* name, unsigned long n) {
        RawValue v;
        v.name = name;
        v.type = RawValue::Number;
        v.number = n;
        return v;
    };
    auto text = [](const char* name, const char* t) {
        RawValue v;
        v.name = name;
        v.type = RawValue::Text;
        v.text = t;
        return v;
    };
    const std::vector<RawValue> machine = {
        dword("TimeInactivity", 15), text("journalpath", " \\\\srv\\j "),
        dword("Action", 7),          text("DryRun", "1"),
        text("Password", "x"),       dword("Foo", 1),
        dword("LockOptions", 1),     text("LicenseFeature", " ACAD "),
        dword("LicenseFree", 1000)};
    const std::vector<RawValue> user = {dword("TimeInactivity", 30), dword("TimeCountdown", 20),
                                        dword("Logfilepath", 5), dword("LockOptions", 2),
                                        text("Journalpath", " "), text("LicenseServer", ""),
                                        dword("LicenseRecheck", 60)};
    const settingspolicy::Policy p = settingspolicy::policyFrom(machine, user);
    settingsformat::Values file;
    file.action = 1;
    file.password = "own";
    const settingsformat::Values in = settingspolicy::applied(file, p);
    CHECK(in.timeInactivity == 15);
    CHECK(in.timeCountdown == 20);
    CHECK(in.action == 1);
    CHECK(in.journalpath == "\\\\srv\\j");
    CHECK(in.dryRun == false);
    CHECK(in.password == "own");
    CHECK(in.licenseFeature == "ACAD");
    CHECK(in.licenseFree == 1);
    CHECK(in.licenseRecheck == 60);
    CHECK(in.licenseServer == "");
    CHECK(p.source[2] == Source::MachinePolicy); // TimeInactivity
    CHECK(p.source[3] == Source::UserPolicy);    // TimeCountdown
    CHECK(p.source[4] == Source::File);          // Action
    CHECK(p.lockOptions);
    const std::vector<std::string> faults = {
        "Logfilepath (user policy): not a text (REG_SZ or REG_EXPAND_SZ); ignored",
        "LockOptions (user policy): must be a REG_DWORD of 0 or 1; ignored",
        "Journalpath (user policy): an empty folder; ignored",
        "LicenseServer (user policy): an empty text; ignored",
        "Action (computer policy): 7 is outside 0 to 2; ignored",
        "DryRun (computer policy): not a number (REG_DWORD); ignored",
        "Password (computer policy): cannot be set by policy; ignored",
        "Foo (computer policy): is no Tarnel policy; ignored",
        "LicenseFree (computer policy): 1000 is outside 1 to 999; ignored"};
    CHECK(p.faults == faults);
    CHECK_FALSE(settingspolicy::policyFrom({}, {}).any());
    // An empty folder from a policy leaves the seat's own.
    const settingspolicy::Policy empty = settingspolicy::policyFrom({text("Logfilepath", "")}, {});
    CHECK_FALSE(empty.sets(8));
    CHECK(empty.faults.size() == 1);
}

namespace {

// The report of journal lines (times +01:00), as tarnelreport makes it.
UsageReport reportOf(const std::vector<std::string>& lines, ReportOptions options = {}) {
    UsageReport r(options);
    for (const std::string& l : lines)
        r.addLine(l);
    r.finish();
    return r;
}

long long timeOf(const char* text) {
    long long utc = 0;
    int offset = 0;
    REQUIRE(parseTime(text, utc, offset));
    return utc;
}

// ana: Tarnel closed her seat at 17:15 after 15 quiet minutes, she has not
// come back; bob works a while the next day.
const std::vector<std::string> kClosedSeat = {
    "2026-12-07T08:00:00+01:00,PC1,ana,s1,start,,,,,TimeInactivity=15",
    "2026-12-07T17:15:00+01:00,PC1,ana,s1,expired,900,,,,1 drawings",
    "2026-12-07T17:15:02+01:00,PC1,ana,s1,host-closed,,,,,",
    "2026-12-07T17:15:03+01:00,PC1,ana,s1,end,33303,,,,module",
    "2026-12-08T12:00:00+01:00,PC2,bob,b1,start,,,,,TimeInactivity=15",
    "2026-12-08T13:00:00+01:00,PC2,bob,b1,end,3600,,,,user",
};

} // namespace

TEST_CASE("a line from the future neither counts nor moves the end of the period") {
    ReportOptions options;
    options.now = timeOf("2026-12-09T12:00:00+01:00");
    const UsageReport plain = reportOf(kClosedSeat, options);
    std::vector<std::string> withFuture = kClosedSeat;
    withFuture.push_back("2099-01-01T10:00:00+01:00,PC9,zed,z1,start,,,,,TimeInactivity=15");
    // A day's slack for a seat whose zone is ahead.
    withFuture.push_back("2026-12-10T11:00:00+01:00,PC8,eve,e1,start,,,,,TimeInactivity=15");
    const UsageReport future = reportOf(withFuture, options);
    CHECK(future.linesFuture() == 1);
    CHECK(plain.linesFuture() == 0);
    // ana's seat is free from 17:15:02 until the latest line, bob's 13:00.
    const std::string csv = usageCsv(plain);
    CHECK_CONTAINS(csv, "ana,2026-12-07,1,9.25,9.00,0.25,6.75,1,0,0,0,0,0\r\n");
    CHECK_CONTAINS(csv, "ana,2026-12-08,0,0.00,0.00,0.00,13.00,0,0,0,0,0,0\r\n");
    options.to = "2026-12-31";
    const UsageReport future2 = reportOf(withFuture, options);
    // eve's line is the latest one, but the period ends at the report's clock.
    CHECK_CONTAINS(usageCsv(future), "ana,2026-12-09,0,0.00,0.00,0.00,12.00,0,0,0,0,0,0\r\n");
    CHECK_CONTAINS(usageCsv(future), "eve,2026-12-10,1,");
    // With --to the period ends at the report's clock.
    CHECK_CONTAINS(usageCsv(future2), "ana,2026-12-09,0,0.00,0.00,0.00,12.00,0,0,0,0,0,0\r\n");
    CHECK_LACKS(usageCsv(future2), "ana,2026-12-10");
    CHECK_LACKS(usageCsv(future2), "zed");
    CHECK(whatIfCsv(future2).find("15,1,42.75,") != std::string::npos);
}

TEST_CASE("a stretch is no longer than its session so far, nor reaches into the stretch before") {
    const UsageReport r = reportOf({
        "2026-12-07T09:00:00+01:00,PC5,mal,m1,start,,,,,TimeInactivity=15",
        "2026-12-07T09:30:00+01:00,PC5,mal,m1,quiet,600,,,,",
        // ten days, from a damaged line: cut to the 30 minutes since 09:30
        "2026-12-07T10:00:00+01:00,PC5,mal,m1,quiet,864000,,,,",
        "2026-12-07T10:00:05+01:00,PC5,mal,m1,end,3605,,,,user",
    });
    CHECK(r.linesCut() == 1);
    CHECK(usageCsv(r) == "\xEF\xBB\xBFuser,day,sessions,hours_open,hours_active,hours_idle,"
                         "hours_freed,closes,drawings_saved,drawings_discarded,drawings_rescued,"
                         "waiting_cancelled,countdowns_cancelled\r\n"
                         "mal,2026-12-07,1,1.00,0.33,0.67,0.00,0,0,0,0,0,0\r\n");
    CHECK(whatIfCsv(r) ==
          "timeout_minutes,closes,hours_freed,hours_freed_working,closes_back_within_10\r\n"
          "5,2,0.50,0.50,1\r\n"
          "10,2,0.33,0.33,1\r\n"
          "15,1,0.25,0.25,0\r\n"
          "20,1,0.17,0.17,0\r\n"
          "30,1,0.00,0.00,1\r\n"
          "45,0,0.00,0.00,0\r\n"
          "60,0,0.00,0.00,0\r\n"
          "90,0,0.00,0.00,0\r\n"
          "120,0,0.00,0.00,0\r\n");
}

TEST_CASE("a session whose clock jumped is moved back whole, by its own length") {
    ReportOptions options;
    options.from = "2026-12-01";
    options.to = "2026-12-31";
    options.now = timeOf("2026-12-20T12:00:00+01:00");
    const UsageReport r = reportOf(
        {
            "2009-01-01T08:00:00+01:00,PC6,cy,c1,start,,,,,TimeInactivity=15",
            "2026-12-15T10:00:00+01:00,PC6,cy,c1,quiet,600,,,,",
            "2026-12-15T17:00:00+01:00,PC6,cy,c1,end,32400,,,,user",
        },
        options);
    CHECK(r.clockChanges() == 1);
    CHECK(r.firstDay() == "2026-12-15");
    REQUIRE(r.perUserDay().at("cy").size() == 1);
    CHECK(dayName(r.perUserDay().at("cy")[0].first) == "2026-12-15");
    const DayCounts& d = r.perUserDay().at("cy")[0].second;
    CHECK(d.sessions == 1);
    CHECK(d.secondsOpen == 32400);
    CHECK(d.secondsIdle == 600);
    CHECK(r.whatIf()[2].seatsLive == 1); // its start is in the month now
}

TEST_CASE("months add up to the two together, absences across the first included") {
    const std::vector<std::string> lines = {
        "2026-11-30T08:00:00+01:00,PC1,ana,s1,start,,,,,TimeInactivity=15",
        "2026-11-30T09:00:00+01:00,PC1,ana,s1,quiet,1800,,,,",
        "2026-11-30T17:15:00+01:00,PC1,ana,s1,expired,900,,,,1 drawings",
        "2026-11-30T17:15:01+01:00,PC1,ana,s1,closed,,C:\\w\\a.dwg,2,1,C:\\w\\tarnel_a.dwg",
        "2026-11-30T17:15:02+01:00,PC1,ana,s1,host-closed,,,,,",
        "2026-11-30T17:15:03+01:00,PC1,ana,s1,end,33303,,,,module",
        "2026-12-01T08:00:00+01:00,PC1,ana,s2,start,,,,,TimeInactivity=15",
        "2026-12-01T10:00:00+01:00,PC1,ana,s2,end,7200,,,,user",
        // bob's evening quiet stretch crosses midnight into December
        "2026-11-30T22:00:00+01:00,PC2,bob,b1,start,,,,,TimeInactivity=30",
        "2026-12-01T00:40:00+01:00,PC2,bob,b1,quiet,3600,,,,",
        "2026-12-01T01:00:00+01:00,PC2,bob,b1,end,10800,,,,user",
    };
    ReportOptions nov, dec, both;
    nov.from = both.from = "2026-11-01";
    nov.to = "2026-11-30";
    dec.from = "2026-12-01";
    dec.to = both.to = "2026-12-31";
    nov.now = dec.now = both.now = timeOf("2026-12-09T12:00:00+01:00");
    const UsageReport n = reportOf(lines, nov), d = reportOf(lines, dec), b = reportOf(lines, both);
    auto total = [](const UsageReport& r) {
        DayFigures all;
        for (const auto& u : r.perUserDay())
            for (const auto& day : u.second)
                all += day.second;
        return all;
    };
    const DayFigures tn = total(n), td = total(d), tb = total(b);
    CHECK(tn.sessions + td.sessions == tb.sessions);
    CHECK(tn.secondsOpen + td.secondsOpen == tb.secondsOpen);
    CHECK(tn.secondsIdle + td.secondsIdle == tb.secondsIdle);
    CHECK(tn.secondsFreed + td.secondsFreed == tb.secondsFreed);
    CHECK(tn.closes + td.closes == tb.closes);
    CHECK(tn.saved + td.saved == tb.saved);
    CHECK(n.secondsFreedWorking() + d.secondsFreedWorking() == b.secondsFreedWorking());
    CHECK(td.secondsFreed == 8 * 3600.0);   // 00:00 to 08:00 on the 1st
    CHECK(tn.secondsFreed == 24298.0);      // 17:15:02 to midnight
    CHECK(tb.secondsIdle == 6300.0);        // half an hour, a quarter, an hour
    REQUIRE(n.whatIf().size() == b.whatIf().size());
    REQUIRE(d.whatIf().size() == b.whatIf().size());
    for (size_t i = 0; i < b.whatIf().size(); ++i) {
        const WhatIfRow &x = n.whatIf()[i], &y = d.whatIf()[i], &z = b.whatIf()[i];
        CAPTURE(z.minutes);
        CHECK(x.closes + y.closes == z.closes);
        CHECK(x.secondsFreed + y.secondsFreed == z.secondsFreed);
        CHECK(x.secondsFreedWorking + y.secondsFreedWorking == z.secondsFreedWorking);
        CHECK(x.backWithin10 + y.backWithin10 == z.backWithin10);
        CHECK(x.seatsLive + y.seatsLive == z.seatsLive);
    }
    // December's what-if frees what its summary frees at the timeout in force.
    CHECK(d.whatIf()[2].minutes == 15);
    // ana's 00:00-08:00 and bob's 00:00-00:40 of a stretch from 23:40
    CHECK(d.whatIf()[2].secondsFreed == 8 * 3600.0 + 40 * 60.0);
}

TEST_CASE("the peak counts a session open for an instant; back to back is one at a time") {
    const UsageReport r = reportOf({
        "2026-12-07T08:00:00+01:00,PC1,ana,s1,start,,,,,TimeInactivity=15",
        "2026-12-07T17:00:00+01:00,PC1,ana,s1,end,32400,,,,user",
        "2026-12-07T12:00:00+01:00,PC2,bob,b1,start,,,,,TimeInactivity=15",
        "2026-12-08T08:00:00+01:00,PC1,ana,s2,start,,,,,TimeInactivity=15",
        "2026-12-08T12:00:00+01:00,PC1,ana,s2,end,14400,,,,user",
        "2026-12-08T12:00:00+01:00,PC2,bob,b2,start,,,,,TimeInactivity=15",
        "2026-12-08T13:00:00+01:00,PC2,bob,b2,end,3600,,,,user",
    });
    CHECK(r.peakSessions().at("2026-12-07") == 2);
    CHECK(r.peakSessions().at("2026-12-08") == 1);
}

TEST_CASE("the figures the page promises: came back within ten minutes, working hours on "
          "weekdays, idle hours split at midnight, per computer, the heat map") {
    const UsageReport r = reportOf({
        // Saturday: an hour's quiet stretch frees nothing in working hours
        "2026-12-12T09:00:00+01:00,PC1,ana,s1,start,,,,,TimeInactivity=15",
        "2026-12-12T11:00:00+01:00,PC1,ana,s1,quiet,3600,,,,",
        "2026-12-12T12:00:00+01:00,PC1,ana,s1,end,10800,,,,user",
        // Monday: closed at 17:15, not back by the last line at 17:20
        "2026-12-14T08:00:00+01:00,PC1,ana,s2,start,,,,,TimeInactivity=15",
        "2026-12-14T17:15:00+01:00,PC1,ana,s2,expired,900,,,,1 drawings",
        "2026-12-14T17:15:02+01:00,PC1,ana,s2,host-closed,,,,,",
        "2026-12-14T17:15:03+01:00,PC1,ana,s2,end,33303,,,,module",
        // Sunday night into Monday
        "2026-12-13T23:00:00+01:00,PC2,bob,b1,start,,,,,TimeInactivity=15",
        "2026-12-14T00:30:00+01:00,PC2,bob,b1,quiet,3600,,,,",
        "2026-12-14T00:45:00+01:00,PC2,bob,b1,end,6300,,,,user",
        "2026-12-14T17:20:00+01:00,PC3,cy,c1,start,,,,,TimeInactivity=15",
    });
    REQUIRE(r.whatIf().size() == 9);
    const WhatIfRow& at15 = r.whatIf()[2];
    CHECK(at15.closes == 3);
    // Saturday 10:15-11:00, Monday 17:15-17:20, bob 23:45-00:30.
    CHECK(at15.secondsFreed == 2700 + 300 + 2700);
    CHECK(at15.secondsFreedWorking == 300); // only Monday's, within 8 to 18
    CHECK(at15.backWithin10 == 0);        // ana did not come back: the journal ended
    const WhatIfRow& at20 = r.whatIf()[3];
    CHECK(at20.closes == 3);
    CHECK(at20.backWithin10 == 0);
    CHECK(r.secondsFreedWorking() == 298); // Tarnel's close, 17:15:02 to 17:20
    const auto& bob = r.perUserDay().at("bob");
    REQUIRE(bob.size() == 2);
    CHECK(bob[0].second.secondsIdle == 1800);
    CHECK(bob[1].second.secondsIdle == 1800);
    CHECK(r.perComputer().at("PC1").sessions == 2);
    CHECK(r.perComputer().at("PC1").secondsOpen == 3 * 3600 + 33303);
    CHECK(r.perComputer().at("PC1").closes == 1);
    CHECK(r.perComputer().at("PC2").secondsIdle == 3600);
    CHECK(r.heat()[5][9] == 1.0);  // Saturday 09:00-10:00
    CHECK(r.heat()[6][23] == 1.0);  // Sunday 23:00-24:00
    CHECK(r.heat()[0][0] == 0.75);  // Monday 00:00-00:45
}

TEST_CASE("kept open while licences were free: from the first answer to the stretch's end, "
          "split at midnight, counted once a stretch") {
    const UsageReport r = reportOf({
        "2026-12-14T23:00:00+01:00,PC1,ana,s1,start,,,,,TimeInactivity=15;LicenseServer=1@l",
        // kept at 23:45 and asked again at 23:50; full at 00:10: closed
        "2026-12-14T23:45:00+01:00,PC1,ana,s1,kept,900,,,,3 of 4 licences free",
        "2026-12-14T23:50:00+01:00,PC1,ana,s1,kept,1200,,,,1 of 4 licences free",
        "2026-12-15T00:10:30+01:00,PC1,ana,s1,expired,2430,,,,1 drawings",
        "2026-12-15T00:10:32+01:00,PC1,ana,s1,host-closed,,,,,",
        "2026-12-15T00:10:33+01:00,PC1,ana,s1,end,4233,,,,module",
        // kept, and the seat's journal ends with the stretch still going
        "2026-12-15T09:00:00+01:00,PC1,ana,s2,start,,,,,TimeInactivity=15;LicenseServer=1@l",
        "2026-12-15T09:15:00+01:00,PC1,ana,s2,kept,900,,,,2 of 4 licences free",
        "2026-12-15T09:20:00+01:00,PC1,ana,s2,kept,1200,,,,2 of 4 licences free",
        // bob's stretch ended by his return before any answer said keep
        "2026-12-15T09:00:00+01:00,PC2,bob,b1,start,,,,,TimeInactivity=15",
        "2026-12-15T09:30:00+01:00,PC2,bob,b1,quiet,1800,,,,",
        "2026-12-15T09:31:00+01:00,PC2,bob,b1,kept,60,,,,a line out of place",
        "2026-12-15T09:45:00+01:00,PC2,bob,b1,end,2700,,,,user",
    });
    const auto& ana = r.perUserDay().at("ana");
    REQUIRE(ana.size() == 2);
    CHECK(ana[0].second.keptOpen == 1);
    CHECK(ana[0].second.secondsKept == 900);      // 23:45 to midnight
    CHECK(ana[1].second.keptOpen == 1);           // the morning's stretch
    CHECK(ana[1].second.secondsKept == 630 + 300); // to 00:10:30, and 09:15 to 09:20
    CHECK(r.perComputer().at("PC1").keptOpen == 2);
    CHECK(r.perComputer().at("PC1").secondsKept == 900 + 630 + 300);
    // A keep the session's end closes: 09:31 to 09:45.
    CHECK(r.perComputer().at("PC2").keptOpen == 1);
    CHECK(r.perComputer().at("PC2").secondsKept == 840);
}

TEST_CASE("the port: a side takes a table of its own version, at least as large as it reads, "
          "and says which file and why otherwise") {
    struct Table {
        unsigned long size, version;
        char rest[64];
    };
    const struct {
        const char* name;
        bool given;
        unsigned long size, version;
        int fit;
        const char* said;
    } cases[] = {
        {"the same build", true, 40, TARNEL_PORT_VERSION, TARNEL_PORT_FITS, ""},
        {"a later build, an entry added at the end", true, 48, TARNEL_PORT_VERSION,
         TARNEL_PORT_FITS, ""},
        {"an earlier build, an entry short", true, 32, TARNEL_PORT_VERSION,
         TARNEL_PORT_TOO_SMALL,
         "TarnelCore.dll has fewer operations than this version needs: install both from one "
         "package."},
        {"another port version", true, 40, TARNEL_PORT_VERSION + 1, TARNEL_PORT_OTHER_VERSION,
         "TarnelCore.dll is built for port version 2, and this one for version 1: install both "
         "from one package."},
        {"no table", false, 0, 0, TARNEL_PORT_NO_TABLE,
         "TarnelCore.dll gave no table of its operations."},
    };
    for (const auto& c : cases) {
        CAPTURE(c.name);
        Table t = {c.size, c.version, {}};
        const int fit = TarnelPortFit(c.given ? &t : nullptr, 40, TARNEL_PORT_VERSION);
        CHECK(fit == c.fit);
        char text[256];
        TarnelPortFitText(fit, "TarnelCore.dll", c.version, text, sizeof text);
        CHECK(std::string(text) == c.said);
    }
    // A short buffer gets what fits, ended by a zero.
    char small[8];
    TarnelPortFitText(TARNEL_PORT_NO_TABLE, "TarnelCore.dll", 0, small, sizeof small);
    CHECK(std::string(small) == "TarnelC");
}

TEST_CASE("the licence server's status: counts from the feature's line, or why not") {
    const std::string up = "lmutil - Copyright (c) 1989-2001 Globetrotter Software, Inc.\r\n"
                           "Flexible License Manager status on Tue 12/8/2026 17:30\r\n\r\n"
                           "License server status: 27005@lic1\r\n"
                           "    License file(s) on lic1: C:\\flexlm\\acad.lic:\r\n\r\n"
                           "      lic1: license server UP (MASTER) v7.2\r\n\r\n"
                           "Vendor daemon status (on lic1):\r\n\r\n     adskflex: UP v7.2\r\n\r\n"
                           "Feature usage info:\r\n\r\n";
    const struct {
        const char* name;
        std::string output;
        bool known;
        int issued, inUse, free;
        const char* reason;
        const char* outcome; // of a seat that keeps open while 1 is free
    } cases[] = {
        {"free", up + "Users of 51200ACD_2002_0F:  (Total of 10 licenses issued;  Total of 3 "
                      "licenses in use)\r\n",
         true, 10, 3, 7, "", "kept: 7 of 10 licences free"},
        {"full", up + "Users of 51200ACD_2002_0F:  (Total of 5 licenses issued;  Total of 5 "
                      "licenses in use)\r\n\r\n  \"51200ACD_2002_0F\" v1.000, vendor: adskflex\r\n",
         true, 5, 5, 0, "", "countdown: 0 of 5 licences free"},
        {"singular forms", up + "Users of 51200ACD_2002_0F:  (Total of 1 license issued;  Total "
                                "of 1 license in use)\n",
         true, 1, 1, 0, "", "countdown: 0 of 1 licence free"},
        {"more in use than issued (overdraft) counts none free",
         up + "Users of 51200ACD_2002_0F:  (Total of 4 licenses issued;  Total of 6 licenses in "
              "use)\n",
         true, 4, 6, 0, "", "countdown: 0 of 4 licences free"},
        {"another feature's line only", up + "Users of 51300ACD_2004_0F:  (Total of 10 licenses "
                                             "issued;  Total of 0 licenses in use)\r\n",
         false, 0, 0, 0, "no line for 51200ACD_2002_0F in its answer", "license-unknown"},
        {"an error on the feature's line",
         up + "Users of 51200ACD_2002_0F:  (Error: 10 licenses, unsupported by licensed server)\n",
         false, 0, 0, 0,
         "the server answered for 51200ACD_2002_0F: (Error: 10 licenses, unsupported by licensed "
         "server)", "license-unknown"},
        {"server down",
         "lmutil - Copyright (c) 1989-2001 Globetrotter Software, Inc.\r\n"
         "Error getting status: Cannot connect to license server (-15,10:10061 \"WinSock: "
         "Connection refused\")\r\n",
         false, 0, 0, 0,
         "the server answered: Error getting status: Cannot connect to license server "
         "(-15,10:10061 \"WinSock: Connection refused\")", "license-unknown"},
        {"garbage", "\x01\x02 Total of 7 licenses issued\r\nUsers of:\r\n", false, 0, 0, 0,
         "no line for 51200ACD_2002_0F in its answer", "license-unknown"},
        {"a count too long to be one",
         up + "Users of 51200ACD_2002_0F:  (Total of 99999999999 licenses issued;  Total of 1 "
              "license in use)\n",
         false, 0, 0, 0,
         "the server answered for 51200ACD_2002_0F: (Total of 99999999999 licenses issued;  "
         "Total of 1 license in use)", "license-unknown"},
        {"nothing", "", false, 0, 0, 0, "the status tool printed nothing", "license-unknown"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.name);
        const LicenseStatus s = readLicenseStatus(c.output, "51200ACD_2002_0F");
        CHECK(s.known == c.known);
        CHECK(s.issued == c.issued);
        CHECK(s.inUse == c.inUse);
        CHECK(s.free() == c.free);
        CHECK(s.reason == c.reason);
        const LicenseVerdict v = judgeLicenses(s, 1);
        const std::string outcome = v == LicenseVerdict::Keep    ? "kept: " + licencesFreeText(s)
                                    : v == LicenseVerdict::Short ? "countdown: " + licencesFreeText(s)
                                                                 : "license-unknown";
        CHECK(outcome == c.outcome);
    }
    // The number asked for is a bound: exactly that many free keeps the seat.
    LicenseStatus seven;
    seven.known = true, seven.issued = 10, seven.inUse = 3;
    CHECK(judgeLicenses(seven, 7) == LicenseVerdict::Keep);
    CHECK(judgeLicenses(seven, 8) == LicenseVerdict::Short);
}
