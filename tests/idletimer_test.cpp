// The idle watch driven tick by tick: thresholds, activity, Disable, the
// generation check, nesting, the countdown's cadence, and a timer that is
// started twice.
#include <doctest.h>
#include <map>
#include "textchecks.h"
#include "acdocman.h"
#include "aced.h"
#include "cadhost.h"
#include "common/testseam.h"
#include "idle/countdowndialog.h"
#include "idle/idletimer.h"
#include "idle/inputwatch.h"
#include "modulefixture.h"
#include "cmdlog/journal.h"
#include "journalrows.h"
#include "policykeys.h"
#include "settings/guardsettings.h"
#include "settings/settingsformat.h"
#include "resources/resource.h"
#include "shell/guardapp.h"
#include "adapter/adapter.h"

using namespace testkit;
using namespace modtest;

namespace {

std::string countdownText() {
    return controlText(countdownHwnd(), IDC_COUNTDOWN_TEXT);
}

void click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void postClick(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

} // namespace

TEST_CASE("thresholds with the default times; activity restarts the count") {
    Module m;
    Workspace w("idle-defaults");
    m.start();
    w.open("plan.dwg");
    REQUIRE(idleTimerState().timerId != 0);
    ticks(570);
    CHECK(idleTimerState().idleSeconds == 570);
    CHECK(countdownHwnd() == nullptr);
    ticks(1);
    HWND dlg = countdownHwnd();
    REQUIRE(dlg != nullptr);
    CHECK(IsWindowVisible(dlg));
    CHECK(windowText(dlg) == "Tarnel - AutoCAD is about to close");
    CHECK(countdownText() ==
          "Nobody has used AutoCAD for a while: Tarnel will close it.\nSeconds left: 29");
    CHECK(GetWindow(dlg, GW_OWNER) == adsw_acadMainWnd());

    SUBCASE("loading a drawing closes the window and restarts the count") {
        currentApp()->dispatch(appmsg::kLoadDwgMsg, nullptr);
        CHECK_FALSE(IsWindow(dlg));
        CHECK(idleTimerState().idleSeconds == 0);
        CHECK(idleTimerState().timerId != 0);
    }
    SUBCASE("a busy drawing restarts the count") {
        cadhost::beginCommand("DELAY");
        ticks(3);
        CHECK(idleTimerState().idleSeconds == 0);
        CHECK_FALSE(IsWindow(dlg));
        cadhost::endCommand(cadhost::Outcome::Ended);
        ticks(2);
        CHECK(idleTimerState().idleSeconds == 2);
    }
    m.stop();
    CHECK(idleTimerState().timerId == 0);
    CHECK(idleTimerState().countdownWindow == nullptr);
}

TEST_CASE("one minute with a sixty-second countdown; Disable stops the watch") {
    Module m;
    Workspace w("idle-oneminute");
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "60"}, {"AllowDisable", "1"}});
    w.open("a.dwg");
    ticks(1);
    REQUIRE(countdownHwnd() != nullptr);
    CHECK_CONTAINS(countdownText(), "Seconds left: 59");
    HWND dlg = countdownHwnd();
    CHECK(IsWindowEnabled(GetDlgItem(dlg, IDC_COUNTDOWN_DISABLE)));
    click(dlg, IDC_COUNTDOWN_DISABLE);
    CHECK_FALSE(IsWindow(dlg));
    CHECK(idleTimerState().timerId == 0);
    int counted = idleTimerState().idleSeconds;
    ticks(120); // ticks already queued when the timer stopped do nothing
    CHECK(idleTimerState().idleSeconds == counted);
    CHECK(countdownHwnd() == nullptr);
    resetIdle(); // a later command: the count is zeroed, the watch stays off
    CHECK(idleTimerState().idleSeconds == 0);
    CHECK(idleTimerState().timerId == 0);
    CHECK(cadhost::closeAllDrawings());
}

TEST_CASE("no iterator: the tick neither counts nor resets") {
    Module m;
    Workspace w("idle-noiter");
    m.start();
    ticks(5);
    {
        HostFaults faults;
        faults->noIterator = true;
        ticks(5);
    }
    CHECK(idleTimerState().idleSeconds == 5);
    ticks(1);
    CHECK(idleTimerState().idleSeconds == 6);
}

TEST_CASE("with no drawing open the close action runs directly and closes the host") {
    Module m;
    Workspace w("idle-nodrawing");
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "5"}});
    HWND main = adsw_acadMainWnd();
    ticks(59);
    CHECK(IsWindow(main));
    ticks(1);
    CHECK_FALSE(IsWindow(main));
    CHECK_LACKS(w.transcript(), "application context");
    CHECK_FALSE(reportLogExists(w.dir));
    CHECK(registryMessage() == "(none)");
    CHECK(idleTimerState().timerId == 0);
}

TEST_CASE("Disable pressed in the last second wins over the close action") {
    Module m;
    Workspace w("idle-lastdisable");
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "10"}, {"AllowDisable", "1"}});
    w.open("keep.dwg", "LINE 0,0 1,1\r\n");
    cadhost::executeLine("CIRCLE 2,2 1");
    ticks(59);
    HWND dlg = countdownHwnd();
    REQUIRE(dlg != nullptr);
    postClick(dlg, IDC_COUNTDOWN_DISABLE); // handled by the 60th tick's own pump
    ticks(1);
    CHECK(idleTimerState().timerId == 0);
    CHECK(idleTimerState().countdownWindow == nullptr);
    // The drawing is open with its change, nothing was saved, the host runs.
    CHECK(acDocManagerPtr()->documentCount() == 1);
    resbuf rb = {};
    CHECK(acedGetVar("DBMOD", &rb) == RTNORM);
    CHECK(rb.resval.rint != 0);
    CHECK(readFile(w.dir + "\\keep.dwg") == drawingBytes("LINE 0,0 1,1\r\n"));
    CHECK_FALSE(fileExists(w.dir + "\\tarnel_keep.dwg"));
    CHECK_FALSE(reportLogExists(w.dir));
    CHECK(registryMessage() == "(none)");
    CHECK(IsWindow(adsw_acadMainWnd()));
}

TEST_CASE("Cancel delivered by the last tick's own pump restarts the count") {
    Module m;
    Workspace w("idle-lastcancel");
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "10"}});
    w.open("keep.dwg", "LINE 0,0 1,1\r\n");
    ticks(59);
    HWND dlg = countdownHwnd();
    REQUIRE(dlg != nullptr);
    postClick(dlg, IDC_COUNTDOWN_CANCEL);
    ticks(1);
    CHECK(idleTimerState().idleSeconds == 0);
    CHECK(idleTimerState().timerId != 0);
    CHECK(acDocManagerPtr()->documentCount() == 1);
    CHECK_FALSE(fileExists(w.dir + "\\tarnel_keep.dwg"));
}

namespace {
// A timer tick that the host dispatches while the close action saves.
struct TickWhileSaving : AcEditorReactor {
    int ticked = 0;
    void beginSave(AcDbDatabase*, const char*) override {
        ++ticked;
        idleTick(nullptr, WM_TIMER, 0, 0);
    }
};
} // namespace

TEST_CASE("a tick nested in the close action does not run it a second time") {
    Module m;
    Workspace w("idle-nested");
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "10"}, {"Action", "1"}});
    w.open("n1.dwg", "LINE 0,0 1,1\r\n");
    w.open("n2.dwg", "LINE 2,2 3,3\r\n");
    TickWhileSaving reactor;
    AcEditor* editor = static_cast<AcEditor*>(hostService("AcEditor", "AcEditor"));
    REQUIRE(editor != nullptr);
    editor->addReactor(&reactor);
    ticks(60);
    editor->removeReactor(&reactor);
    CHECK(reactor.ticked >= 2);
    const std::string t = w.transcript();
    CHECK(count(t, "application context") == 1);
    CHECK(count(t, "document closed") == 2);
    CHECK(count(reportLog(w.dir), "Status: 1") == 2);
    CHECK(acDocManagerPtr()->documentCount() == 0);
}

TEST_CASE("the countdown beeps and flashes twice every five seconds; the last tick shows 0") {
    Module m;
    Workspace w("idle-cadence");
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "30"}, {"Action", "0"}});
    w.open("c.dwg");
    std::vector<std::string> seen, shown;
    std::vector<DWORD> flashedAt;
    testseam::Switches observe;
    observe.countdownSignal = [&](const char* what, int remaining) {
        seen.push_back(std::string(what) + " " + std::to_string(remaining));
        if (std::string(what) == "flash") flashedAt.push_back(GetTickCount());
        if (remaining == 0) shown.push_back(countdownText());
    };
    testseam::Scope scope(observe);
    ticks(60);
    const std::vector<std::string> expected = {
        "beep 25", "flash 25", "flash 25", "beep 20", "flash 20", "flash 20",
        "beep 15", "flash 15", "flash 15", "beep 10", "flash 10", "flash 10",
        "beep 5",  "flash 5",  "flash 5",  "beep 0",  "flash 0",  "flash 0"};
    CHECK(seen == expected);
    REQUIRE(flashedAt.size() == 12);
    for (size_t i = 0; i < flashedAt.size(); i += 2) {
        CAPTURE(i);
        CHECK(flashedAt[i + 1] - flashedAt[i] >= 450);
        CHECK(flashedAt[i + 1] - flashedAt[i] < 1500);
    }
    REQUIRE_FALSE(shown.empty());
    CHECK(shown[0] ==
          "Nobody has used AutoCAD for a while: Tarnel will close it.\nSeconds left: 0");
    // The close action ran in that same tick.
    CHECK(acDocManagerPtr()->documentCount() == 0);
    CHECK(idleTimerState().timerId == 0);
}

TEST_CASE("a second start replaces the running timer instead of adding one") {
    Module m;
    Workspace w("idle-starttwice");
    m.start();
    const UINT_PTR first = idleTimerState().timerId;
    REQUIRE(first != 0);
    startIdleTimer(*appSettings());
    CHECK(idleTimerState().timerId != 0);
    // The first timer is gone: killing it again finds nothing.
    CHECK_FALSE(KillTimer(nullptr, first));
    // On the real timer the count goes at one second a second.
    pump(3300);
    CHECK(idleTimerState().idleSeconds >= 2);
    CHECK(idleTimerState().idleSeconds <= 4);
}

TEST_CASE("a quit taken by the countdown's pump is posted again with its exit code") {
    Module m;
    Workspace w("idle-quitcode");
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "30"}});
    w.open("q.dwg");
    ticks(31);
    REQUIRE(countdownHwnd() != nullptr);
    PostQuitMessage(7);
    ticks(1);
    MSG msg = {};
    REQUIRE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    CHECK(msg.wParam == 7);
}

TEST_CASE("Group Policy set or removed mid-session takes effect at the next minute's tick, "
          "CountInput's watch and the journal's settings line with it; a value ignored is "
          "reported once") {
    PolicyKeys policy;
    Module m;
    Workspace w("idle-policy");
    PolicyKeys::text(HKEY_LOCAL_MACHINE, "Journalpath", w.dir);
    m.start({{"TimeInactivity", "5"}});
    w.open("a.dwg");
    PolicyKeys::number(HKEY_LOCAL_MACHINE, "TimeInactivity", 2);
    PolicyKeys::number(HKEY_CURRENT_USER, "Action", 9); // out of range
    PolicyKeys::number(HKEY_CURRENT_USER, "CountInput", 1);
    PolicyKeys::text(HKEY_CURRENT_USER, "Logfilepath", " "); // no folder: ignored
    ticks(59);
    CHECK(appSettings()->getTimeInactivity() == 5);
    CHECK_FALSE(inputWatchRunning());
    ticks(1);
    CHECK(appSettings()->getTimeInactivity() == 2);
    CHECK(inputWatchRunning());
    CHECK(appSettings()->getLogfilepath() != " ");
    cadhost::executeLine("ZOOM");
    ticks(60);
    PolicyKeys::clear();
    PolicyKeys::text(HKEY_LOCAL_MACHINE, "Journalpath", w.dir);
    cadhost::executeLine("ZOOM");
    ticks(60);
    CHECK(appSettings()->getTimeInactivity() == 5);
    CHECK_FALSE(inputWatchRunning());
    m.stop();
    std::map<std::string, int> reported;
    for (const std::string& line : lines(reportLog(w.dir)))
        ++reported[line];
    CHECK(reported["  Group Policy value ignored: Action (user policy): 9 is outside 0 to 2; "
                   "ignored "] == 1);
    CHECK(reported["  Group Policy value ignored: Logfilepath (user policy): an empty folder; "
                   "ignored "] == 1);
    // The journal's start line names what the policy set.
    const std::vector<std::vector<std::string>> rows = journalRows(journalFileIn(w.dir));
    REQUIRE_FALSE(rows.empty());
    const std::string detail = rows[0][9];
    CHECK(detail.substr(detail.rfind(";DryRun=")) == ";DryRun=0;Policy=Journalpath");
    // Each change of the settings in effect: one line, with the same detail.
    std::vector<std::string> changes;
    for (const std::vector<std::string>& row : rows)
        if (row[4] == "settings") changes.push_back(row[9]);
    REQUIRE(changes.size() == 2);
    CHECK_CONTAINS(changes[0], "TimeInactivity=2;");
    CHECK_CONTAINS(changes[0], ";CountInput=1;");
    CHECK_CONTAINS(changes[0], ";Policy=TimeInactivity CountInput Journalpath");
    CHECK_CONTAINS(changes[1], "TimeInactivity=5;");
    CHECK_CONTAINS(changes[1], ";DryRun=0;Policy=Journalpath");
    // The seat's own file never took the policy's value.
    settingsformat::Values file;
    settingsformat::readInto(file, readFile(m.dir + "\\tarnel.cfg"));
    CHECK(file.timeInactivity == 5);
}
