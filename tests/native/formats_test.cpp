// The text formats built natively with sanitizers: settings lines, report
// blocks, command log records, save names and rescue names.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>
#include "textchecks.h"
#include <cstdlib>
#include <random>
#include "idle/closeaction.h"
#include "idle/rescuename.h"
#include "idle/savename.h"
#include "cmdlog/logfilename.h"
#include "cmdlog/journalformat.h"
#include "cmdlog/logrecord.h"
#include "idle/reportformat.h"
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
    };
    for (const std::string& l : lines)
        r.addLine(l);
    r.finish();
    CHECK(r.linesRead() == 10);
    CHECK(r.linesSkipped() == 5);
    CHECK(r.linesRepeated() == 1);
    const DayFigures& d = r.perUserDay().at("u").at("2026-12-07");
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
        dword("LockOptions", 1)};
    const std::vector<RawValue> user = {dword("TimeInactivity", 30), dword("TimeCountdown", 20),
                                        dword("Logfilepath", 5), dword("LockOptions", 2),
                                        text("Journalpath", " ")};
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
    CHECK(p.source[2] == Source::MachinePolicy); // TimeInactivity
    CHECK(p.source[3] == Source::UserPolicy);    // TimeCountdown
    CHECK(p.source[4] == Source::File);          // Action
    CHECK(p.lockOptions);
    const std::vector<std::string> faults = {
        "Logfilepath (user policy): not a text (REG_SZ or REG_EXPAND_SZ); ignored",
        "LockOptions (user policy): must be a REG_DWORD of 0 or 1; ignored",
        "Journalpath (user policy): an empty folder; ignored",
        "Action (computer policy): 7 is outside 0 to 2; ignored",
        "DryRun (computer policy): not a number (REG_DWORD); ignored",
        "Password (computer policy): cannot be set by policy; ignored",
        "Foo (computer policy): is no Tarnel policy; ignored"};
    CHECK(p.faults == faults);
    CHECK_FALSE(settingspolicy::policyFrom({}, {}).any());
    // An empty folder from a policy leaves the seat's own.
    const settingspolicy::Policy empty = settingspolicy::policyFrom({text("Logfilepath", "")}, {});
    CHECK_FALSE(empty.sets(8));
    CHECK(empty.faults.size() == 1);
}
