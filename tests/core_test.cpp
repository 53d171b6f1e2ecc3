// The core alone behind the port, with the tests' own host (no stand-in
// runtime): the close action's sequence of host calls for each setting,
// and the cancel of what waits, as data.
#include <doctest.h>
#include <map>
#include "idle/closeaction.h"
#include "idle/hostwaiting.h"
#include "idle/idletimer.h"
#include "idle/licensegate.h"
#include "idle/licensequery.h"
#include "journalrows.h"
#include "policykeys.h"
#include "common/testseam.h"
#include "port/hostport.h"
#include "settings/settingsformat.h"
#include "shell/hostcalls.h"
#include "testhost.h"
#include "testkit.h"

using namespace testkit;

namespace {

const char kDir[] = "C:\\w";

// The core opened with a test host and started with these settings (the
// idle timer stopped, so that no tick comes between), then unloaded and
// closed.
struct CoreUnderTest {
    explicit CoreUnderTest(const std::vector<std::string>& settings, bool timerRuns = false) {
        std::vector<std::string> lines = settings;
        writeFile(binDir() + "\\tarnel.cfg", settingsformat::fileBytes(lines));
        deleteRegistryValue(host.productKey + "\\Tarnel", "Message");
        deleteRegistryValue(host.productKey + "\\Tarnel", "LogFault");
        events.size = sizeof events;
        events.version = TARNEL_PORT_VERSION;
        REQUIRE(TarnelCoreOpen(host.ops(), &events) == TARNEL_PORT_FITS);
        REQUIRE(events.initApp(events.core, &token) == 0);
        if (!timerRuns) stopIdleTimer();
        host.calls.clear();
    }
    ~CoreUnderTest() {
        events.unloadApp(events.core, &token);
        events.close(events.core);
        deleteRegistryValue(host.productKey + "\\Tarnel", "Message");
    }
    testhost::Host host;
    TarnelCoreEvents events = {};
    int token = 0;
};

// Timer ticks of the idle watch, one after the other.
void ticks(int n) {
    for (int i = 0; i < n; ++i)
        idleTick(nullptr, WM_TIMER, 0, 0);
}

std::string in(const char* name) {
    return std::string(kDir) + "\\" + name;
}

testhost::Drawing drawing(const char* name) {
    testhost::Drawing d;
    d.name = in(name);
    return d;
}

// Whether each call is the one expected; an expectation ending in "*"
// takes any call that begins with the rest.
bool sameCalls(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
    if (expected.size() != actual.size()) return false;
    for (size_t i = 0; i < expected.size(); ++i) {
        const std::string& e = expected[i];
        const bool prefix = !e.empty() && e.back() == '*';
        if (prefix ? actual[i].compare(0, e.size() - 1, e, 0, e.size() - 1) != 0 : actual[i] != e)
            return false;
    }
    return true;
}

std::string joined(const std::vector<std::string>& calls) {
    std::string text;
    for (const std::string& c : calls)
        text += "\n  " + c;
    return text;
}

} // namespace

TEST_CASE("the close action's host calls, in order, for each setting and each way a save ends") {
    const std::string temp = freshDir("core-close");
    EnvironmentSetting tmp("TMP", temp), tempVar("TEMP", temp);
    testhost::Drawing unnamed = drawing("x.dwg");
    unnamed.named = false;
    testhost::Drawing keepsDbmod = drawing("a.dwg");
    keepsDbmod.dbmodAfterSave = true;
    testhost::Drawing refusesOnce = drawing("a.dwg");
    refusesOnce.refuseSaves = 1;
    testhost::Drawing refusesTwice = drawing("a.dwg");
    refusesTwice.refuseSaves = 2;
    const std::string rescue = "save " + in("a.dwg") + " as " + temp + "\\Tarnel rescue\\*";
    const struct {
        const char* name;
        const char* action;
        std::vector<testhost::Drawing> drawings;
        std::vector<std::string> calls;
        std::vector<std::string> leftOpen;
    } cases[] = {
        {"discard: each drawing locked, then closed unsaved",
         "0",
         {drawing("a.dwg"), drawing("b.dwg")},
         {"current+lock " + in("a.dwg"), "unlock " + in("a.dwg"), "close " + in("a.dwg"),
          "current+lock " + in("b.dwg"), "unlock " + in("b.dwg"), "close " + in("b.dwg")},
         {}},
        {"save in place: DBMOD kept around the save and read after it",
         "1",
         {drawing("a.dwg")},
         {"current+lock " + in("a.dwg"), "push DBMOD " + in("a.dwg"),
          "save " + in("a.dwg") + " as " + in("a.dwg"), "pop DBMOD " + in("a.dwg"), "read dbmod",
          "unlock " + in("a.dwg"), "close " + in("a.dwg")},
         {}},
        {"save in place: saved again while DBMOD stays set",
         "1",
         {keepsDbmod},
         {"current+lock " + in("a.dwg"), "push DBMOD " + in("a.dwg"),
          "save " + in("a.dwg") + " as " + in("a.dwg"), "pop DBMOD " + in("a.dwg"), "read dbmod",
          "save " + in("a.dwg") + " as " + in("a.dwg"), "unlock " + in("a.dwg"),
          "close " + in("a.dwg")},
         {}},
        {"a copy beside the drawing",
         "2",
         {drawing("a.dwg")},
         {"current+lock " + in("a.dwg"), "push DBMOD " + in("a.dwg"),
          "save " + in("a.dwg") + " as " + in("tarnel_a.dwg"), "pop DBMOD " + in("a.dwg"),
          "read dbmod", "unlock " + in("a.dwg"), "close " + in("a.dwg")},
         {}},
        {"a refused save goes to a rescue copy, still under the lock",
         "2",
         {refusesOnce},
         {"current+lock " + in("a.dwg"), "push DBMOD " + in("a.dwg"),
          "save " + in("a.dwg") + " as " + in("tarnel_a.dwg"), "pop DBMOD " + in("a.dwg"),
          "push DBMOD " + in("a.dwg"), rescue, "pop DBMOD " + in("a.dwg"), "read dbmod",
          "unlock " + in("a.dwg"), "close " + in("a.dwg")},
         {}},
        {"no rescue copy either: unlocked and left open",
         "1",
         {refusesTwice},
         {"current+lock " + in("a.dwg"), "push DBMOD " + in("a.dwg"),
          "save " + in("a.dwg") + " as " + in("a.dwg"), "pop DBMOD " + in("a.dwg"),
          "push DBMOD " + in("a.dwg"), rescue, "pop DBMOD " + in("a.dwg"),
          "unlock " + in("a.dwg")},
         {in("a.dwg")}},
        {"a drawing the host gives no name is never locked; the next one goes on",
         "1",
         {unnamed, drawing("b.dwg")},
         {"current+lock " + in("b.dwg"), "push DBMOD " + in("b.dwg"),
          "save " + in("b.dwg") + " as " + in("b.dwg"), "pop DBMOD " + in("b.dwg"), "read dbmod",
          "unlock " + in("b.dwg"), "close " + in("b.dwg")},
         {in("x.dwg")}},
    };
    for (const auto& c : cases) {
        CAPTURE(c.name);
        CoreUnderTest core({"Action:" + std::string(c.action), "EnableLogging:0"});
        for (const testhost::Drawing& d : c.drawings)
            core.host.open(d);
        runCloseAction(nullptr);
        const std::string expected = joined(c.calls), actual = joined(core.host.calls);
        CAPTURE(expected);
        CAPTURE(actual);
        CHECK(sameCalls(c.calls, core.host.calls));
        CHECK(core.host.openNames() == c.leftOpen);
    }
}

TEST_CASE("what waits is cancelled with two ^C sent to each busy drawing, named by its file") {
    CoreUnderTest core({"CancelWaiting:1", "EnableLogging:0"});
    testhost::Drawing busy = drawing("a.dwg");
    busy.quiescent = false;
    core.host.open(busy);
    core.host.open(drawing("b.dwg")); // current, quiet
    std::vector<TarnelDrawing> found;
    REQUIRE(busyDocuments(found));
    REQUIRE(found.size() == 1);
    const std::vector<std::string> what = cancelWhatWaits(found);
    CHECK(what == std::vector<std::string>{"the command in " + in("a.dwg")});
    CHECK(core.host.calls == std::vector<std::string>{"send " + in("a.dwg") + " ^C^C"});
}

TEST_CASE("the licence server asked through its status tool: each answer's outcome, and the "
          "host's side never waits") {
    const std::string dir = freshDir("core-license");
    const std::string tool = dir + "\\lmutil.exe";
    // The stand-in tool is built beside the test programs' folders.
    REQUIRE(CopyFileA((binDir() + "\\..\\lmutil.exe").c_str(), tool.c_str(), FALSE));
    const std::string line = "Users of ACD:  (Total of 4 licenses issued;  Total of 1 license in use)";
    const struct {
        const char* name;
        std::string answer; // lmutil-answer.txt; none when empty
        std::string tool;
        bool known;
        int free;
        std::string reason;
    } cases[] = {
        {"free", "print\r\n" + line + "\r\n", tool, true, 3, ""},
        {"an error from the server", "fail 1\r\nError getting status: Cannot connect to license "
                                     "server (-15,10:10061)\r\n",
         tool, false, 0,
         "the server answered: Error getting status: Cannot connect to license server "
         "(-15,10:10061)"},
        {"nothing", "silent\r\n", tool, false, 0, "the status tool printed nothing"},
        {"a hang", "hang\r\n" + line + "\r\n", tool, false, 0, "no answer within 2 seconds"},
        {"no such tool", "", dir + "\\nowhere\\lmutil.exe", false, 0,
         "the status tool could not be started: *"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.name);
        DeleteFileA((dir + "\\lmutil-answer.txt").c_str());
        DeleteFileA((dir + "\\lmutil-args.txt").c_str());
        if (!c.answer.empty()) writeFile(dir + "\\lmutil-answer.txt", c.answer);
        LicenseQuestion question;
        question.tool = c.tool;
        question.server = "27005@lic1;27005@lic2";
        question.feature = "ACD";
        question.timeoutMs = 2000;
        LicenseQuery query;
        LicenseStatus status;
        const DWORD began = GetTickCount();
        REQUIRE(query.ask(question, status));
        CHECK(GetTickCount() - began < 500); // the asking side only starts it
        bool in = false;
        for (int i = 0; i < 400 && !in; ++i) {
            in = query.answered(status);
            if (!in) Sleep(10);
        }
        REQUIRE(in);
        CHECK_FALSE(query.asking());
        CHECK(status.known == c.known);
        CHECK(status.free() == c.free);
        if (!c.reason.empty() && c.reason.back() == '*')
            CHECK(status.reason.compare(0, c.reason.size() - 1, c.reason, 0, c.reason.size() - 1) ==
                  0);
        else
            CHECK(status.reason == c.reason);
        if (c.tool == tool)
            CHECK(readFile(dir + "\\lmutil-args.txt") ==
                  "\"" + tool + "\" \"lmstat\" \"-c\" \"27005@lic1;27005@lic2\" \"-f\" \"ACD\" "
                  "\"-t\" \"10\"");
    }
    // A question dropped while the tool hangs: its answer never comes, and
    // nothing waits for it.
    writeFile(dir + "\\lmutil-answer.txt", "hang\r\n");
    LicenseQuestion question;
    question.tool = tool;
    question.server = "27005@lic1";
    question.feature = "ACD";
    question.timeoutMs = 1000;
    LicenseStatus status;
    {
        LicenseQuery query;
        REQUIRE(query.ask(question, status));
        query.drop();
        CHECK_FALSE(query.answered(status));
    }
    CHECK(licenseTool("", dir) == tool);
    CHECK(licenseTool("", dir + "\\nowhere") == "lmutil.exe");
    CHECK(licenseTool("D:\\flexlm\\lmutil.exe", dir) == "D:\\flexlm\\lmutil.exe");
    Sleep(1500); // the dropped question's tool ended by its own timeout
}

TEST_CASE("text and lists longer than the first buffer cross the port whole") {
    CoreUnderTest core({"EnableLogging:0"});
    std::vector<TarnelDrawing> opened;
    for (int i = 0; i < 20; ++i)
        opened.push_back(core.host.open(drawing(("d" + std::to_string(i) + ".dwg").c_str())));
    const std::string longName = std::string(kDir) + "\\" + std::string(300, 'n') + ".dwg";
    testhost::Drawing named;
    named.name = longName;
    opened.push_back(core.host.open(named));
    std::vector<TarnelDrawing> listed;
    REQUIRE(host::drawings(listed));
    CHECK(listed == opened);
    std::string name;
    REQUIRE(host::fileName(opened.back(), name));
    CHECK(name.size() == longName.size());
    CHECK(name == longName);
    REQUIRE(host::fileName(opened.front(), name));
    CHECK(name == in("d0.dwg"));
    CHECK(host::drawingCount() == 21);
}

TEST_CASE("the idle time's end closes every drawing in the application context; a trial run "
          "closes nothing") {
    for (const char* dryRun : {"0", "1"}) {
        CAPTURE(dryRun);
        CoreUnderTest core({"TimeInactivity:1", "TimeCountdown:5", "Action:0", "EnableLogging:0",
                            "DryRun:" + std::string(dryRun)},
                           true);
        core.host.open(drawing("a.dwg"));
        core.host.open(drawing("b.dwg"));
        ticks(60);
        // What changed the host; the countdown's pumps and the looks at
        // variables aside.
        std::vector<std::string> changes;
        for (const std::string& c : core.host.calls)
            if (c != "pump" && c.compare(0, 5, "read ") != 0) changes.push_back(c);
        const std::vector<std::string> closed = {
            "application context", "current+lock " + in("a.dwg"), "unlock " + in("a.dwg"),
            "close " + in("a.dwg"), "current+lock " + in("b.dwg"), "unlock " + in("b.dwg"),
            "close " + in("b.dwg")};
        const bool trial = std::string(dryRun) == "1";
        CHECK(changes == (trial ? std::vector<std::string>{} : closed));
        CHECK(core.host.openNames().size() == (trial ? 2u : 0u));
    }
}

namespace {

// Ticks until the licence question out is answered and read (a tick a
// 20 ms, at most 10 s); the ticks it took.
int ticksUntilAnswered() {
    int n = 0;
    for (; n < 500 && licenseQuestionOut(); ++n) {
        Sleep(20);
        ticks(1);
    }
    CHECK_FALSE(licenseQuestionOut());
    return n;
}

// The event and detail of each journal row after the start: "event|detail".
std::vector<std::string> journalTail(const std::string& file) {
    std::vector<std::string> out;
    for (const std::vector<std::string>& r : journalRows(file))
        if (r[4] != "start") out.push_back(r[4] + "|" + r[9]);
    return out;
}

} // namespace

TEST_CASE("the idle time's end asks the licence server: kept while licences are free, the "
          "countdown and the close otherwise, each answer's line in the journal") {
    const std::string dir = freshDir("core-license-watch");
    const std::string journalDir = dir + "\\journal";
    REQUIRE(CreateDirectoryA(journalDir.c_str(), nullptr));
    const std::string tool = dir + "\\lmutil.exe";
    REQUIRE(CopyFileA((binDir() + "\\..\\lmutil.exe").c_str(), tool.c_str(), FALSE));
    testseam::Switches fast;
    fast.flashPauseMs = 0;
    fast.licenseTimeoutMs = 2000;
    testseam::Scope scope(fast);
    auto usersOf = [](int issued, int inUse) {
        return "print\r\nUsers of ACD:  (Total of " + std::to_string(issued) +
               " licenses issued;  Total of " + std::to_string(inUse) + " licenses in use)\r\n";
    };
    const struct {
        const char* name;
        std::string answer;
        std::string extra; // a setting more
        std::vector<std::string> journal;
        bool closed;
    } cases[] = {
        {"free", usersOf(4, 1), "", {"kept|3 of 4 licences free"}, false},
        {"free in a trial run", usersOf(4, 1), "DryRun:1", {"would-keep|3 of 4 licences free"},
         false},
        {"full", usersOf(4, 4), "",
         {"countdown|0 of 4 licences free", "expired|2 drawings", "closed|", "closed|", "host-closed|"}, true},
        {"fewer free than asked for", usersOf(4, 1), "LicenseFree:4",
         {"countdown|3 of 4 licences free", "expired|2 drawings", "closed|", "closed|", "host-closed|"}, true},
        {"full in a trial run", usersOf(4, 4), "DryRun:1",
         {"would-expire|2 drawings", "would-close|modified unknown", "would-close|modified"}, false},
        {"an unknown feature", "print\r\nUsers of OTHER:  (Total of 9 licenses issued;  Total of 0 "
                               "licenses in use)\r\n",
         "",
         {"license-unknown|no line for ACD in its answer", "countdown|", "expired|2 drawings",
          "closed|", "closed|", "host-closed|"},
         true},
        {"a server down", "fail 1\r\nError getting status: Cannot connect to license server\r\n",
         "",
         {"license-unknown|the server answered: Error getting status: Cannot connect to license "
          "server",
          "countdown|", "expired|2 drawings", "closed|", "closed|", "host-closed|"},
         true},
        {"garbage", "print\r\n\x01\x02 Total of\r\n", "",
         {"license-unknown|no line for ACD in its answer", "countdown|", "expired|2 drawings",
          "closed|", "closed|", "host-closed|"},
         true},
        {"nothing", "silent\r\n", "",
         {"license-unknown|the status tool printed nothing", "countdown|", "expired|2 drawings",
          "closed|", "closed|", "host-closed|"},
         true},
        {"no feature set", usersOf(4, 4), "LicenseFeature:",
         {"license-unknown|no LicenseFeature is set", "countdown|", "expired|2 drawings",
          "closed|", "closed|", "host-closed|"},
         true},
        {"a hang", "hang\r\n", "",
         {"license-unknown|no answer within 2 seconds", "countdown|", "expired|2 drawings",
          "closed|", "closed|", "host-closed|"},
         true},
    };
    for (const auto& c : cases) {
        const std::string name = c.name;
        CAPTURE(name);
        const std::string journal = journalDir + "\\" + journalComputer() + ".csv";
        REQUIRE(waitLogWritten(5000)); // the case before's last lines
        DeleteFileA(journal.c_str());
        writeFile(dir + "\\lmutil-answer.txt", c.answer);
        std::vector<std::string> settings = {
            "TimeInactivity:1",          "TimeCountdown:5",      "Action:0",
            "EnableLogging:0",           "Journalpath:" + journalDir, "LicenseServer:27005@lic1",
            "LicenseFeature:ACD",        "LicenseTool:" + tool};
        if (!c.extra.empty()) settings.push_back(c.extra);
        CoreUnderTest core(settings, true);
        core.host.open(drawing("a.dwg"));
        core.host.open(drawing("b.dwg"));
        ticks(59);
        CHECK_FALSE(licenseQuestionOut());
        ticks(1); // the idle time is up: the question goes out, the tick goes on
        const bool asks = c.extra != "LicenseFeature:"; // without a feature: no question
        CHECK(licenseQuestionOut() == asks);
        CHECK(core.host.openNames().size() == 2u);
        ticksUntilAnswered();
        ticks(6);
        CHECK(core.host.openNames().size() == (c.closed ? 0u : 2u));
        CHECK(joined(journalTail(journal)) == joined(c.journal));
    }
    // Free at the first question, full at the recheck a minute later: the
    // close comes at the idle time, the recheck and the countdown.
    const std::string journal = journalDir + "\\" + journalComputer() + ".csv";
    REQUIRE(waitLogWritten(5000));
    DeleteFileA(journal.c_str());
    writeFile(dir + "\\lmutil-answer.txt", usersOf(4, 1));
    CoreUnderTest core({"TimeInactivity:1", "TimeCountdown:5", "Action:0", "EnableLogging:0",
                        "Journalpath:" + journalDir, "LicenseServer:27005@lic1",
                        "LicenseFeature:ACD", "LicenseTool:" + tool, "LicenseRecheck:1"},
                       true);
    core.host.open(drawing("a.dwg"));
    ticks(60);
    const int first = ticksUntilAnswered();
    writeFile(dir + "\\lmutil-answer.txt", usersOf(4, 4));
    ticks(59);
    CHECK_FALSE(licenseQuestionOut());
    CHECK(core.host.openNames().size() == 1u);
    ticks(1);
    CHECK(licenseQuestionOut());
    const int second = ticksUntilAnswered();
    ticks(5);
    CHECK(core.host.openNames().empty());
    std::vector<std::vector<std::string>> rows = journalRows(journal);
    REQUIRE(rows.size() == 6);
    CHECK(rows[1][4] == "kept");
    CHECK(rows[1][5] == std::to_string(60 + first));
    CHECK(rows[2][4] == "countdown");
    CHECK(rows[3][4] == "expired");
    CHECK(rows[3][5] == std::to_string(60 + first + 60 + second + 5));
}

TEST_CASE("an answer that does not tell is journaled and reported once per start and reason") {
    const std::string dir = freshDir("core-license-once");
    const std::string journalDir = dir + "\\journal";
    REQUIRE(CreateDirectoryA(journalDir.c_str(), nullptr));
    const std::string tool = dir + "\\lmutil.exe";
    REQUIRE(CopyFileA((binDir() + "\\..\\lmutil.exe").c_str(), tool.c_str(), FALSE));
    const std::string journal = journalDir + "\\" + journalComputer() + ".csv";
    const std::string reportLog = binDir() + "\\tarnel.log";
    const std::string said = "Licences free not known, closed on idle time alone: the status tool "
                             "printed nothing";
    REQUIRE(waitLogWritten(5000));
    DeleteFileA(reportLog.c_str());
    // A trial run, so that the seat stays open for three stretches: nothing
    // printed twice, then an error from the server.
    for (int session = 0; session < 2; ++session) {
        CAPTURE(session);
        writeFile(dir + "\\lmutil-answer.txt", "silent\r\n");
        DeleteFileA(journal.c_str());
        CoreUnderTest core({"TimeInactivity:1", "EnableLogging:0", "Journalpath:" + journalDir,
                            "LicenseServer:27005@lic1", "LicenseFeature:ACD",
                            "LicenseTool:" + tool, "DryRun:1"},
                           true);
        core.host.open(drawing("a.dwg"));
        for (int stretch = 0; stretch < 3; ++stretch) {
            if (stretch == 2) writeFile(dir + "\\lmutil-answer.txt", "fail 1\r\nError: down\r\n");
            ticks(60);
            ticksUntilAnswered();
            resetIdle(); // the user is back
        }
        std::vector<std::string> unknown;
        for (const std::vector<std::string>& r : journalRows(journal))
            if (r[4] == "license-unknown") unknown.push_back(r[9]);
        CHECK(joined(unknown) ==
              joined({"the status tool printed nothing", "the server answered: Error: down"}));
    }
    // The report log: each reason once for each of the two starts.
    REQUIRE(waitLogWritten(5000));
    const std::string log = readFile(reportLog);
    size_t count = 0;
    for (size_t at = log.find(said); at != std::string::npos; at = log.find(said, at + 1))
        ++count;
    CHECK(count == 2);
}

TEST_CASE("a stretch found past its end by a policy refresh gets a full countdown, then the close") {
    const std::string dir = freshDir("core-past-end");
    const std::string journalDir = dir + "\\journal";
    REQUIRE(CreateDirectoryA(journalDir.c_str(), nullptr));
    const std::string journal = journalDir + "\\" + journalComputer() + ".csv";
    REQUIRE(waitLogWritten(5000));
    DeleteFileA(journal.c_str());
    testseam::Switches fast;
    fast.flashPauseMs = 0;
    testseam::Scope scope(fast);
    PolicyKeys policy;
    CoreUnderTest core({"TimeInactivity:5", "TimeCountdown:5", "Action:0", "EnableLogging:0",
                        "Journalpath:" + journalDir},
                       true);
    core.host.open(drawing("a.dwg"));
    ticks(119);
    // Two quiet minutes in, the timeout becomes one minute at the next
    // minute's tick: the stretch is a minute past its end.
    PolicyKeys::number(HKEY_LOCAL_MACHINE, "TimeInactivity", 1);
    ticks(1);
    CHECK(core.host.openNames().size() == 1u);
    ticks(4);
    CHECK(core.host.openNames().size() == 1u);
    ticks(1);
    CHECK(core.host.openNames().empty());
    std::vector<std::string> events;
    for (const std::vector<std::string>& r : journalRows(journal))
        if (r[4] == "countdown" || r[4] == "expired") events.push_back(r[4] + "|" + r[5]);
    CHECK(joined(events) == joined({"countdown|4", "expired|125"}));
}
