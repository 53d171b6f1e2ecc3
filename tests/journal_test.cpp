// The session journal written by a scripted session in the stand-in host:
// each event with its columns, a folder that cannot be reached, and the
// trial run that closes nothing.
#include <doctest.h>
#include "textchecks.h"
#include "acdocman.h"
#include "aced.h"
#include "cadhost.h"
#include "cmdlog/journal.h"
#include "cmdlog/logwriter.h"
#include "idle/idletimer.h"
#include "cmdlog/journalformat.h"
#include "journalrows.h"
#include "modulefixture.h"
#include "resources/resource.h"
#include "settings/guardsettings.h"
#include "shell/guardapp.h"

using namespace testkit;
using namespace modtest;

namespace {

// The column event, seconds, drawing, action, status, detail of a row.
std::string tail(const std::vector<std::string>& row) {
    return row[4] + "|" + row[5] + "|" + row[6] + "|" + row[7] + "|" + row[8] + "|" + row[9];
}

bool isJournalTime(const std::string& t) {
    return t.size() == 25 && t[4] == '-' && t[10] == 'T' && t[13] == ':' &&
           (t[19] == '+' || t[19] == '-') && t[22] == ':';
}

} // namespace

TEST_CASE("a session's events, each with its columns") {
    Module m;
    Workspace w("journal-session");
    const std::string folder = w.dir + "\\journal";
    CreateDirectoryA(folder.c_str(), nullptr);
    // A name a spreadsheet would run: marked in the file, read back as it is.
    EnvironmentSetting user("USERNAME", "@ana");
    m.start({{"TimeInactivity", "2"},
             {"TimeCountdown", "10"},
             {"Action", "2"},
             {"Journalpath", folder},
             {"Password", "secret"}});
    const std::string logPath = appSettings()->getLogfilepath();
    const std::string share = w.dir + "\\share";
    REQUIRE(CreateDirectoryA(share.c_str(), nullptr));
    w.open("share\\far.dwg");
    w.open("near.dwg");
    ticks(70);
    cadhost::executeLine("ZOOM"); // ends a quiet stretch of 70 s
    ticks(111);
    REQUIRE(countdownHwnd() != nullptr);
    clickButton(countdownHwnd(), IDC_COUNTDOWN_CANCEL);  // 9 seconds left
    REQUIRE(DeleteFileA((share + "\\far.dwg").c_str())); // the drive went away
    REQUIRE(RemoveDirectoryA(share.c_str()));
    ticks(120);
    dropQuit();
    m.stop();

    const std::string file = folder + "\\" + journalComputer() + ".csv";
    const std::string bytes = readFile(file);
    CHECK_STARTS(bytes,
                 "\xEF\xBB\xBFtime,computer,user,session,event,seconds,drawing,action,status,"
                 "detail\r\n");
    CHECK_CONTAINS(bytes, "," + journalComputer() + ",'@ana,");
    std::vector<std::vector<std::string>> r = journalRows(file);
    REQUIRE(r.size() == 11);
    for (const auto& row : r) {
        CHECK(isJournalTime(row[0]));
        CHECK(row[1] == journalComputer());
        CHECK(row[2] == "@ana");
        CHECK(row[3] == r[0][3]);
    }
    CHECK(r[0][4] == "start");
    CHECK(r[0][9] == "Protection=0;TimeInactivity=2;TimeCountdown=10;Action=2;AllowDisable=0;"
                     "EnableLogging=1;LogfilenameType=1;Logfilepath=" +
                         logPath + ";CountInput=0;CancelWaiting=0;Journalpath=" + folder +
                         ";DryRun=0");
    const std::string rescue = filesIn(w.rescueDir()).empty()
                                   ? std::string("(none)")
                                   : w.rescueDir() + "\\" + filesIn(w.rescueDir())[0];
    const std::vector<std::string> expected = {
        "quiet|70||||",
        "countdown|9||||",
        "cancelled|9||||",
        "quiet|111||||",
        "countdown|9||||",
        "expired|120||||2 drawings",
        "rescued||" + share + "\\far.dwg|2|0|" + rescue,
        "closed||" + w.dir + "\\near.dwg|2|1|" + w.dir + "\\tarnel_near.dwg",
        "host-closed|||||",
    };
    for (size_t i = 0; i < expected.size(); ++i)
        CHECK(tail(r[i + 1]) == expected[i]);
    CHECK(r[10][4] == "end");
    CHECK(r[10][9] == "module");
}

namespace {

void giveKeyInHost() {
    bringHostToFront();
    REQUIRE(hostInFront());
    giveKey('A');
    ticks(1);
}

void okInOptions() {
    WhenVisible opened("Tarnel options", [](HWND h) { clickButton(h, IDOK); });
    cadhost::executeLine("tarnel_opt");
    CHECK(opened.ran());
}

struct StretchEnd {
    const char* how;
    const char* timeInactivity;
    int quietSeconds;
    void (*end)();                  // nullptr: the module's unload
    std::vector<std::string> lines; // after start, before end
};

const StretchEnd kStretchEnds[] = {
    {"a command", "2", 70, [] { cadhost::executeLine("ZOOM"); }, {"quiet|70||||"}},
    {"a command, under a minute", "2", 59, [] { cadhost::executeLine("ZOOM"); }, {}},
    {"a command with the countdown up",
     "1",
     55,
     [] { cadhost::executeLine("ZOOM"); },
     {"countdown|9||||", "quiet|55||||"}},
    {"input", "2", 70, giveKeyInHost, {"quiet|70||||"}},
    {"input with the countdown up", "1", 55, giveKeyInHost, {"countdown|9||||", "quiet|55||||"}},
    {"the countdown's Cancel",
     "1",
     55,
     [] { clickButton(countdownHwnd(), IDC_COUNTDOWN_CANCEL); },
     {"countdown|9||||", "cancelled|5||||", "quiet|55||||"}},
    {"the countdown's Disable",
     "1",
     55,
     [] { clickButton(countdownHwnd(), IDC_COUNTDOWN_DISABLE); },
     {"countdown|9||||", "disabled|||||", "quiet|55||||"}},
    {"the options dialog", "2", 70, okInOptions, {"quiet|70||||"}},
    {"the unload", "2", 70, nullptr, {"quiet|70||||"}},
    {"the unload with the countdown up", "1", 55, nullptr, {"countdown|9||||", "quiet|55||||"}},
};

} // namespace

TEST_CASE("every end of a quiet stretch leaves one line") {
    for (const StretchEnd& e : kStretchEnds) {
        const std::string how = e.how;
        CAPTURE(how);
        Module m;
        Workspace w("journal-stretch");
        const std::string folder = w.dir + "\\journal";
        CreateDirectoryA(folder.c_str(), nullptr);
        m.start({{"TimeInactivity", e.timeInactivity},
                 {"TimeCountdown", "10"},
                 {"AllowDisable", "1"},
                 {"CountInput", "1"},
                 {"Journalpath", folder}});
        w.open("plan.dwg");
        ticks(e.quietSeconds);
        if (e.end) e.end();
        m.stop();
        std::vector<std::vector<std::string>> r = journalRows(folder + "\\" + journalComputer() + ".csv");
        REQUIRE(r.size() >= 2);
        CHECK(r.front()[4] == "start");
        CHECK(r.back()[4] == "end");
        std::string expected, seen;
        for (const std::string& l : e.lines)
            expected += l + "\n";
        for (size_t i = 1; i + 1 < r.size(); ++i)
            seen += tail(r[i]) + "\n";
        CHECK(seen == expected);
    }
}

TEST_CASE("a journal folder that cannot be reached costs nothing but the journal") {
    Module m;
    Workspace w("journal-unreachable");
    const std::string folder = w.dir + "\\later";
    m.start({{"TimeInactivity", "1"}, {"Action", "1"}, {"Journalpath", folder}});
    w.open("plan.dwg");
    cadhost::executeLine("LINE 0,0 1,1");
    ticks(60);
    dropQuit();
    CHECK(readFile(w.dir + "\\plan.dwg") == drawingBytes("LINE 0,0 1,1\r\n"));
    CHECK_FALSE(IsWindow(adsw_acadMainWnd()));
    CHECK(keptLogRecords() >= 4); // start, countdown, expired, closed, host-closed
    // The folder comes back: what was kept is written, in order.
    REQUIRE(CreateDirectoryA(folder.c_str(), nullptr));
    CHECK(waitLogWritten(5000));
    std::vector<std::vector<std::string>> r = journalRows(folder + "\\" + journalComputer() + ".csv");
    REQUIRE(r.size() == 5);
    CHECK(r[0][4] == "start");
    CHECK(r[3][4] == "closed");
    CHECK(r[4][4] == "host-closed");
}

TEST_CASE("a trial run closes nothing, journals what it would close, and keeps counting") {
    Module m;
    Workspace w("journal-trial");
    const std::string folder = w.dir + "\\journal";
    CreateDirectoryA(folder.c_str(), nullptr);
    m.start({{"TimeInactivity", "1"}, {"Action", "1"}, {"Journalpath", folder}, {"DryRun", "1"}});
    w.open("kept.dwg");
    w.open("plan.dwg");
    cadhost::executeLine("LINE 0,0 1,1");
    bool countdownSeen = false;
    for (int i = 0; i < 90; ++i) {
        ticks(1);
        countdownSeen = countdownSeen || countdownHwnd() != nullptr;
    }
    CHECK_FALSE(countdownSeen);
    CHECK(acDocManagerPtr()->documentCount() == 2);
    CHECK(idleTimerState().idleSeconds == 90);
    CHECK_LACKS(w.transcript(), "document saved");
    cadhost::executeLine("ZOOM"); // the stretch ran to its end: 90 s
    std::vector<std::vector<std::string>> r = journalRows(folder + "\\" + journalComputer() + ".csv");
    REQUIRE(r.size() == 5);
    CHECK(tail(r[1]) == "would-expire|60||||2 drawings");
    CHECK(tail(r[2]) == "would-close||" + w.dir + "\\kept.dwg|1||modified unknown");
    CHECK(tail(r[3]) == "would-close||" + w.dir + "\\plan.dwg|1||modified");
    CHECK(tail(r[4]) == "quiet|90||||");
}

TEST_CASE("the options set the journal folder and the trial run at OK") {
    Module m;
    Workspace w("journal-page");
    m.start();
    WhenVisible opened("Tarnel options", [&](HWND h) {
        HWND config = findPage(h, IDC_CONFIG_DRY_RUN);
        REQUIRE(config != nullptr);
        CHECK(controlText(config, IDC_CONFIG_DRY_RUN) ==
              "&Trial run: record what would be closed, close nothing");
        clickButton(config, IDC_CONFIG_DRY_RUN);
        clickTab(GetDlgItem(h, IDC_OPTIONS_TAB), 2); // the Logging page
        HWND logging = findPage(h, IDC_LOGGING_JOURNAL);
        REQUIRE(logging != nullptr);
        CHECK(controlText(logging, IDC_LOGGING_JOURNAL).empty());
        SetDlgItemTextA(logging, IDC_LOGGING_JOURNAL, w.dir.c_str());
        clickButton(h, IDOK);
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    CHECK(appSettings()->getJournalpath() == w.dir);
    CHECK(appSettings()->getDryRun());
}
