// A seat left waiting at a prompt, in the host's dialog or in a LISP
// evaluation: with CancelWaiting it is counted quiet and closed after what
// waits is cancelled; without it, or while the host works, it is not.
// The host waits in a message loop of its own, so each test gives its
// ticks from a timer procedure that loop dispatches.
#include <doctest.h>
#include "textchecks.h"
#include <functional>
#include "acdocman.h"
#include "aced.h"
#include "cadhost.h"
#include "cmdlog/journal.h"
#include "idle/hostwaiting.h"
#include "shell/hostcalls.h"
#include "idle/idletimer.h"
#include "idle/waitjudge.h"
#include "journalrows.h"
#include "modulefixture.h"
#include "resources/resource.h"
#include "settings/guardsettings.h"
#include "shell/guardapp.h"

using namespace testkit;
using namespace modtest;

namespace {

HWND hostDialog() {
    HWND found = FindWindowA("#32770", "Options");
    return found && GetWindow(found, GW_OWNER) == adsw_acadMainWnd() ? found : nullptr;
}

// What a user back at the seat does to end what waits.
void endItAsAUser() {
    if (HWND d = hostDialog()) PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    AcApDocManager* dm = acDocManagerPtr();
    dm->sendStringToExecute(dm->curDocument(), "\x03");
}

// A quarter second and more with the processor at rest, then a tick: the
// thread's window is long enough to be judged, and it was quiet. Ticks
// given at once after it keep that verdict.
void restThenTick() {
    Sleep(300);
    ticks(1);
}

// Ticks until the end of the idle time has started the cancel; false when
// it did not come within a minute and a few ticks.
bool tickUntilCancelling() {
    for (int i = 0; i < 65 && !idleTimerState().cancelling; ++i)
        ticks(1);
    return idleTimerState().cancelling;
}

struct Waiting {
    const char* name;
    std::vector<std::string> lines;
    const char* cancelled; // as the report names it, before " in <drawing>"
};

const Waiting kWaiting[] = {
    {"LINE at its prompt", {"LINE"}, "the command LINE"},
    {"a LISP evaluation at (getpoint)", {"(getpoint)"}, "the LISP evaluation"},
    {"a transparent command inside LINE", {"LINE", "'CAL"}, "the command LINE'CAL"},
    {"the host's Options dialog", {"DDOPTIONS"}, "the dialog \"Options\""},
};

// A minute, ten seconds of countdown, drawings saved in place.
std::map<std::string, std::string> oneMinute(const char* cancelWaiting) {
    return {{"TimeInactivity", "1"},
            {"TimeCountdown", "10"},
            {"Action", "1"},
            {"CancelWaiting", cancelWaiting}};
}

} // namespace

TEST_CASE("left waiting with CancelWaiting on: cancelled, then saved and closed") {
    for (const Waiting& c : kWaiting) {
        const std::string name = c.name;
        CAPTURE(name);
        Module m;
        Workspace w("cancel-on");
        // A dialog slow to set itself up is still found once it is shown.
        HostFaults faults;
        faults->slowDialogMs = 60;
        m.start(oneMinute("1"));
        w.open("plan.dwg");
        cadhost::executeLine("CIRCLE 5,5 1");
        bool cancelling = false, countdownClosed = false;
        int afterStart = -1;
        ticks(30);
        restThenTick(); // the set-up's work out of the window
        restThenTick();
        typeAndWait(c.lines, [&] {
            restThenTick(); // what came since the last tick is the user's doing
            afterStart = idleTimerState().idleSeconds;
            restThenTick();
            cancelling = tickUntilCancelling();
            countdownClosed = countdownHwnd() == nullptr;
        });
        CHECK(afterStart == 0);
        CHECK(cancelling);
        CHECK(countdownClosed);
        CHECK(hostDialog() == nullptr);
        // The cancels ended what waited; the next tick finds the drawing
        // quiet and closes it.
        CHECK(idleTimerState().timerId != 0);
        ticks(1);
        CHECK(acDocManagerPtr()->documentCount() == 0);
        CHECK(readFile(w.dir + "\\plan.dwg") == drawingBytes("CIRCLE 5,5 1\r\n"));
        const std::string t = w.transcript();
        CHECK_CONTAINS(t, "string to execute ^C^C");
        CHECK_CONTAINS(t, "document saved " + w.dir + "\\plan.dwg");
        const std::string what = std::string(c.cancelled) +
                                 (c.lines[0] == "DDOPTIONS" ? ", the command DDOPTIONS" : "") +
                                 " in " + w.dir + "\\plan.dwg";
        std::vector<std::string> log = lines(reportLog(w.dir));
        REQUIRE(log.size() >= 4);
        CHECK(isTimeLine(log[0]));
        if (c.lines[0] == "DDOPTIONS") {
            CHECK(log[1] == "  Cancelled before the close: the dialog \"Options\" ");
            CHECK(log[2] == "  Cancelled before the close: the command DDOPTIONS in " + w.dir +
                                "\\plan.dwg ");
        } else {
            CHECK(log[1] == "  Cancelled before the close: " + what + " ");
        }
        CHECK(log.back() == std::string(59, '='));
        const std::string message = registryMessage();
        CHECK_STARTS(message, "Your last session was saved to " + w.dir + "\\plan.dwg ");
        const std::string sentence = " Before closing, Tarnel cancelled " + what + ".";
        CHECK(message.size() > sentence.size());
        CHECK(message.substr(message.size() - sentence.size()) == sentence);
        dropQuit();
    }
}

TEST_CASE("with CancelWaiting off, a host left waiting keeps the count at 0") {
    for (const Waiting& c : kWaiting) {
        const std::string name = c.name;
        CAPTURE(name);
        Module m;
        Workspace w("cancel-off");
        m.start(oneMinute("0"));
        w.open("plan.dwg");
        int counted = -1;
        typeAndWait(c.lines, [&] {
            ticks(70);
            counted = idleTimerState().idleSeconds;
            endItAsAUser();
        });
        CHECK(counted == 0);
        CHECK(acDocManagerPtr()->documentCount() == 1);
    }
}

namespace {
std::vector<int> seenInRegen;
void CALLBACK tickDuringRegen(HWND, UINT, UINT_PTR, DWORD) {
    ticks(1);
    seenInRegen.push_back(idleTimerState().idleSeconds);
}
} // namespace

TEST_CASE("on or off, the module's own command and a working command keep the count at 0") {
    for (const char* on : {"0", "1"}) {
        const std::string cancelWaiting = on;
        CAPTURE(cancelWaiting);
        Module m;
        Workspace w("cancel-work");
        m.start(oneMinute(on));
        w.open("plan.dwg");
        int counted = -1;
        WhenVisible opened("Tarnel options", [&](HWND h) {
            ticks(70);
            counted = idleTimerState().idleSeconds;
            clickButton(h, IDCANCEL);
        });
        cadhost::executeLine("tarnel_opt");
        REQUIRE(opened.ran());
        CHECK(counted == 0);
        // A regeneration keeps the processor busy and lets ticks come.
        ticks(50);
        seenInRegen.clear();
        const UINT_PTR every = SetTimer(nullptr, 0, 400, tickDuringRegen);
        cadhost::executeLine("REGEN 2500");
        KillTimer(nullptr, every);
        CHECK(seenInRegen.size() >= 5);
        for (int s : seenInRegen)
            CHECK(s == 0);
        CHECK(acDocManagerPtr()->documentCount() == 1);
        // A LISP routine pausing in DELAY works on: the minute runs out,
        // and nothing is cancelled; its next command draws.
        bool cancelling = true;
        int countInDelay = -1;
        typeAndWait({"(command \"DELAY\" 1500) (command \"CIRCLE\" \"1,1\" \"1\")"}, [&] {
            restThenTick();
            restThenTick();
            cancelling = tickUntilCancelling();
            countInDelay = idleTimerState().idleSeconds;
        });
        CHECK_FALSE(cancelling);
        CHECK(countInDelay == 0);
        CHECK_LACKS(w.transcript(), "string to execute");
        CHECK(acDocManagerPtr()->documentCount() == 1);
        CHECK_CONTAINS(w.transcript(), "command CIRCLE");
    }
}

TEST_CASE("a cancel that does not end the command in time: nothing closed, the watch goes on") {
    Module m;
    Workspace w("cancel-stays-busy");
    std::map<std::string, std::string> settings = oneMinute("1");
    settings["Journalpath"] = w.dir;
    m.start(settings);
    w.open("plan.dwg");
    cadhost::executeLine("CIRCLE 5,5 1");
    HostFaults faults;
    faults->ignoreExecuteStrings = true;
    int waitedTicks = 0, countAfter = -1;
    bool gaveUp = false;
    typeAndWait({"LINE"}, [&] {
        restThenTick();
        restThenTick();
        REQUIRE(tickUntilCancelling());
        while (idleTimerState().cancelling && waitedTicks < 20) {
            ticks(1);
            ++waitedTicks;
        }
        gaveUp = !idleTimerState().cancelling;
        countAfter = idleTimerState().idleSeconds;
        cadhost::executeLine(""); // Enter ends LINE
    });
    CHECK(gaveUp);
    CHECK(waitedTicks == kCancelWaitTicks); // still waiting after one tick less
    CHECK(countAfter == 0);
    CHECK(idleTimerState().timerId != 0);
    CHECK(acDocManagerPtr()->documentCount() == 1);
    CHECK_LACKS(w.transcript(), "document saved");
    std::vector<std::string> log = lines(reportLog(w.dir));
    REQUIRE(log.size() == 6);
    CHECK(log[1] == "  Cancelled before the close: the command LINE in " + w.dir + "\\plan.dwg ");
    CHECK(log[4] == "  Nothing was closed: the command LINE in " + w.dir +
                        "\\plan.dwg was still busy after the cancel. ");
    // The count runs again from zero, and LINE's own end was the user's.
    ticks(3);
    CHECK(idleTimerState().idleSeconds == 3);
    // The stretch has one line, the end of the idle time, and no other.
    std::string events;
    for (const std::vector<std::string>& row : journalRows(journalFileIn(w.dir)))
        events += row[4] + " " + row[5] + "/";
    CHECK(events == "start /countdown 9/expired 60/waiting-cancelled /left-open /");
}

TEST_CASE("a trial run names what a real one would cancel, the host's dialogs too") {
    Module m;
    Workspace w("cancel-trial");
    std::map<std::string, std::string> settings = oneMinute("1");
    settings["DryRun"] = "1";
    settings["Journalpath"] = w.dir;
    m.start(settings);
    w.open("plan.dwg");
    restThenTick();
    bool stillOpen = false;
    typeAndWait({"DDOPTIONS"}, [&] {
        restThenTick();
        restThenTick();
        ticks(65);
        Sleep(100);
        takeMessages();
        stillOpen = hostDialog() != nullptr; // nothing was cancelled
        endItAsAUser();
    });
    CHECK(stillOpen);
    std::string wouldCancel;
    for (const std::vector<std::string>& row : journalRows(journalFileIn(w.dir)))
        if (row[4] == "would-cancel") wouldCancel += row[9] + "/";
    CHECK(wouldCancel ==
          "the dialog \"Options\"/the command DDOPTIONS in " + w.dir + "\\plan.dwg/");
}

TEST_CASE("what counts as waiting") {
    CHECK(bitsSayWaiting(kCmdCommand));
    CHECK(bitsSayWaiting(kCmdCommand | kCmdTransparent));
    CHECK(bitsSayWaiting(kCmdCommand | kCmdDialog));
    CHECK(bitsSayWaiting(kCmdLisp));
    CHECK_FALSE(bitsSayWaiting(0));
    CHECK_FALSE(bitsSayWaiting(kCmdCommand | kCmdScript));
    CHECK_FALSE(bitsSayWaiting(kCmdCommand | kCmdModuleCommand));
    CHECK_FALSE(bitsSayWaiting(kCmdLisp | kCmdScript));
    CHECK_FALSE(bitsSayWaiting(kCmdCommand | kCmdDde));
    CHECK(namesSayWorking("DELAY"));
    CHECK(namesSayWorking("LINE'DELAY"));
    CHECK_FALSE(namesSayWorking("DELAYED"));
    CHECK_FALSE(namesSayWorking("LINE'CAL"));
    CHECK_FALSE(namesSayWorking(""));
    // A second at a prompt spends 0 to 10 ms; a working one nearly all.
    CHECK(cpuSaysWaiting(10, 1000));
    CHECK(cpuSaysWaiting(100, 1000));
    CHECK_FALSE(cpuSaysWaiting(101, 1000));
    CHECK_FALSE(cpuSaysWaiting(950, 1000));
    CHECK(cpuSaysWaiting(30, 5)); // two ticks close together, the clock's steps
    CHECK_FALSE(cpuSaysWaiting(40, 40));
}

TEST_CASE("a busy drawing behind the current one is named by its file, or as a drawing when "
          "the host gives it no name") {
    Module m;
    Workspace w("busy-names");
    m.start(oneMinute("1"));
    w.open("plan.dwg");
    w.open("other.dwg");
    std::vector<TarnelDrawing> open;
    REQUIRE(host::drawings(open));
    REQUIRE(open.size() == 2);
    std::string name;
    REQUIRE(host::fileName(open[0], name));
    CHECK(name == w.dir + "\\plan.dwg");
    REQUIRE(open[0] != host::currentDrawing());
    CHECK(busyDescription(open[0]) == "the command in " + w.dir + "\\plan.dwg");
    HostFaults faults;
    faults->noFileName = true;
    CHECK_FALSE(host::fileName(open[0], name));
    CHECK(busyDescription(open[0]) == "the command in a drawing");
}

TEST_CASE("the Configuration page's check box stores CancelWaiting at OK") {
    Module m;
    Workspace w("cancel-page");
    m.start(oneMinute("0"));
    int shown = -1;
    WhenVisible opened("Tarnel options", [&](HWND h) {
        HWND page = findPage(h, IDC_CONFIG_CANCEL_WAITING);
        shown = (int)SendDlgItemMessageA(page, IDC_CONFIG_CANCEL_WAITING, BM_GETCHECK, 0, 0);
        CHECK(controlText(page, IDC_CONFIG_CANCEL_WAITING) ==
              "&Also close AutoCAD left waiting at a prompt or in a dialog");
        clickButton(page, IDC_CONFIG_CANCEL_WAITING);
        CHECK_FALSE(appSettings()->getCancelWaiting()); // nothing changes before OK
        clickButton(h, IDOK);
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    CHECK(shown == BST_UNCHECKED);
    CHECK(appSettings()->getCancelWaiting());
    GuardSettings written(w.dir + "\\scratch.cfg");
    REQUIRE(written.load(settingsPath()));
    CHECK(written.getCancelWaiting());
}
