// Keyboard and mouse input in the host as activity, given as a user gives
// it (the system's input, not posted messages): keys, buttons and the wheel,
// mouse moves and the slack of a resting hand, input while another program
// is in front, the watch's lifetime, and the check box of the Configuration
// page acting at OK. Input counts at the tick after it.
#include <doctest.h>
#include <windows.h>
#include "acdocman.h"
#include "aced.h"
#include "cadhost.h"
#include "idle/inputwatch.h"
#include "idle/idletimer.h"
#include "modulefixture.h"
#include "resources/resource.h"
#include "settings/guardsettings.h"
#include "shell/guardapp.h"

using namespace testkit;
using namespace modtest;

namespace {

const std::map<std::string, std::string> kOneMinute = {
    {"TimeInactivity", "1"}, {"TimeCountdown", "10"}, {"Action", "0"}};

std::map<std::string, std::string> oneMinuteWith(const char* countInput) {
    std::map<std::string, std::string> s = kOneMinute;
    s["CountInput"] = countInput;
    return s;
}

POINT offset(POINT p, int dx, int dy) {
    return {p.x + dx, p.y + dy};
}

// The host's main window in front, the pointer resting on its list of
// drawings; the tick after it takes that move.
void inFront() {
    const HWND main = adsw_acadMainWnd();
    bringHostToFront();
    REQUIRE(hostInFront());
    POINT inside = {20, 20};
    ClientToScreen(main, &inside);
    movePointer(inside);
    ticks(1);
}

// The module started with these settings and one drawing open to review.
void startReviewing(Module& m, Workspace& w, const std::map<std::string, std::string>& settings) {
    m.start(settings);
    w.open("review.dwg");
    inFront();
}

struct Press {
    const char* name;
    void (*give)();
};
const Press kPresses[] = {
    {"key", [] { giveKey('A'); }},
    {"shift", [] { giveKey(VK_SHIFT); }},
    {"left button", [] { giveMouse(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }},
    {"right button", [] { giveMouse(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }},
    {"middle button", [] { giveMouse(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP); }},
    {"wheel", [] { giveMouse(MOUSEEVENTF_WHEEL, 0, WHEEL_DELTA); }},
};

} // namespace

TEST_CASE("input in the host keeps it open past the idle time only when counted") {
    Module m;
    Workspace w("input-counted");
    const HWND main = adsw_acadMainWnd();
    SUBCASE("on: every press and turn of the wheel starts the count again") {
        startReviewing(m, w, oneMinuteWith("1"));
        CHECK(inputWatchRunning());
        for (const Press& p : kPresses) {
            CAPTURE(p.name);
            ticks(40);
            p.give();
            CHECK(idleTimerState().idleSeconds == 40); // at the next tick
            ticks(1);
            CHECK(idleTimerState().idleSeconds == 0);
        }
        // Six times forty seconds, and the drawing is still open.
        CHECK(acDocManagerPtr()->documentCount() == 1);
        CHECK(IsWindow(main));
        // Input with the countdown up closes it, as a command does.
        ticks(51);
        HWND countdown = countdownHwnd();
        REQUIRE(countdown != nullptr);
        giveKey(VK_SHIFT);
        ticks(1);
        CHECK_FALSE(IsWindow(countdown));
        CHECK(idleTimerState().idleSeconds == 0);
        // Input in the very last second wins over the close.
        ticks(59);
        giveKey(VK_SHIFT);
        ticks(1);
        CHECK(idleTimerState().idleSeconds == 0);
        CHECK(IsWindow(main));
        CHECK(acDocManagerPtr()->documentCount() == 1);
    }
    SUBCASE("off: the same input is not activity, and the minute closes the host") {
        startReviewing(m, w, oneMinuteWith("0"));
        CHECK_FALSE(inputWatchRunning());
        const int before = idleTimerState().idleSeconds;
        ticks(40 - before);
        for (const Press& p : kPresses) {
            p.give();
            ticks(1);
        }
        CHECK(idleTimerState().idleSeconds == 46);
        ticks(14);
        CHECK(acDocManagerPtr()->documentCount() == 0);
        CHECK_FALSE(IsWindow(main));
    }
    SUBCASE("a file of nine lines, from before the setting: off") {
        m.start(kOneMinute);
        CHECK_FALSE(inputWatchRunning());
        inFront();
        ticks(10);
        giveKey('A');
        ticks(1);
        CHECK(idleTimerState().idleSeconds == 12);
    }
}

TEST_CASE("mouse moves count only beyond the system's drag distance from the last one counted") {
    Module m;
    Workspace w("input-moves");
    startReviewing(m, w, oneMinuteWith("1"));
    const int slack = GetSystemMetrics(SM_CXDRAG);
    REQUIRE(slack == GetSystemMetrics(SM_CYDRAG));
    REQUIRE(slack >= 1);
    POINT cursor;
    REQUIRE(GetCursorPos(&cursor));

    struct Step {
        int dx, dy;  // where the pointer is moved, from where it was at the start
        bool counts; // whether the tick after it restarts the count
    };
    // A hand resting on the mouse moves it a little: within the drag
    // distance of the last move counted, nothing counts (each look also sees
    // the pointer moved since the one before, so no key is assumed). The
    // last move counted is the new point of reference.
    const Step steps[] = {
        {1, 0, false},         {slack, -slack, false}, {0, slack, false}, {slack + 1, 0, true},
        {slack + 1, 1, false}, {slack + 1, -1, false}, {1, 0, false},     {0, 0, true}};
    int expected = idleTimerState().idleSeconds;
    for (const Step& s : steps) {
        CAPTURE(s.dx);
        CAPTURE(s.dy);
        movePointer(offset(cursor, s.dx, s.dy));
        ticks(1);
        expected = s.counts ? 0 : expected + 1;
        CHECK(idleTimerState().idleSeconds == expected);
    }
}

TEST_CASE("input while another program is in front does not count") {
    Module m;
    Workspace w("input-elsewhere");
    startReviewing(m, w, oneMinuteWith("1"));
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    char command[] = "notepad.exe";
    REQUIRE(
        CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    WaitForInputIdle(pi.hProcess, 10000);
    DWORD front = 0;
    for (int i = 0; i < 100 && front != pi.dwProcessId; ++i) {
        takeMessages();
        Sleep(50);
        GetWindowThreadProcessId(GetForegroundWindow(), &front);
    }
    CHECK(front == pi.dwProcessId);
    const int before = idleTimerState().idleSeconds;
    giveKey('A');
    giveMouse(MOUSEEVENTF_WHEEL, 0, WHEEL_DELTA);
    POINT at;
    GetCursorPos(&at);
    movePointer(offset(at, 50, 50));
    ticks(1);
    CHECK(idleTimerState().idleSeconds == before + 1);
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    // Back in the host, input counts again.
    inFront();
    giveKey('A');
    ticks(1);
    CHECK(idleTimerState().idleSeconds == 0);
}

TEST_CASE("the watch comes and goes with the timer") {
    Module m;
    Workspace w("input-lifetime");
    startReviewing(m, w,
                   {{"CountInput", "1"},
                    {"AllowDisable", "1"},
                    {"TimeInactivity", "1"},
                    {"TimeCountdown", "10"}});
    CHECK(inputWatchRunning());
    SUBCASE("Disable in the countdown window") {
        ticks(51);
        REQUIRE(countdownHwnd() != nullptr);
        const int shown = idleTimerState().idleSeconds;
        SendMessageA(GetDlgItem(countdownHwnd(), IDC_COUNTDOWN_DISABLE), BM_CLICK, 0, 0);
        CHECK(idleTimerState().timerId == 0);
        CHECK_FALSE(inputWatchRunning());
        giveKey('A');
        CHECK_FALSE(inputSinceLastLook());
        CHECK(idleTimerState().idleSeconds == shown);
    }
    SUBCASE("the close action, and the watch started again for a drawing left open") {
        writeFile(w.rescueDir(), ""); // no rescue copy: the drawing stays
        m.stop();
        m.start({{"CountInput", "1"}, {"Action", "1"}, {"TimeInactivity", "1"}});
        HANDLE held = CreateFileA((w.dir + "\\review.dwg").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        cadhost::executeLine("LINE 0,0 1,1");
        ticks(60);
        CloseHandle(held);
        CHECK(acDocManagerPtr()->documentCount() == 1);
        CHECK(inputWatchRunning());
        ticks(4);
        giveKey('A');
        ticks(1);
        CHECK(idleTimerState().idleSeconds == 0);
    }
    SUBCASE("the module's unload") {
        m.stop();
        CHECK_FALSE(inputWatchRunning());
    }
}

TEST_CASE("the Configuration page's check box switches the setting at OK") {
    Module m;
    Workspace w("input-page");
    startReviewing(m, w, {{"CountInput", "0"}});
    DialogDriver driver;
    auto openAndClick = [&](int button, int expectedCheck) {
        int shown = -1;
        WhenVisible opened("Tarnel options", [&](HWND h) {
            HWND page = findPage(h, IDC_CONFIG_COUNT_INPUT);
            shown = (int)SendDlgItemMessageA(page, IDC_CONFIG_COUNT_INPUT, BM_GETCHECK, 0, 0);
            CHECK(controlText(page, IDC_CONFIG_COUNT_INPUT) ==
                  "Count &keyboard and mouse input in AutoCAD as activity");
            clickButton(page, IDC_CONFIG_COUNT_INPUT);
            // Nothing changes before OK.
            CHECK(inputWatchRunning() == (expectedCheck == BST_CHECKED));
            clickButton(h, button);
        });
        cadhost::executeLine("tarnel_opt");
        REQUIRE(opened.ran());
        CHECK(shown == expectedCheck);
    };
    openAndClick(IDCANCEL, BST_UNCHECKED);
    CHECK_FALSE(appSettings()->getCountInput());
    CHECK_FALSE(inputWatchRunning());

    openAndClick(IDOK, BST_UNCHECKED);
    CHECK(appSettings()->getCountInput());
    CHECK(inputWatchRunning());
    CHECK(lines(readFile(settingsPath())).size() == 10);
    GuardSettings written(w.dir + "\\scratch.cfg");
    REQUIRE(written.load(settingsPath()));
    CHECK(written.getCountInput());
    ticks(30);
    inFront();
    giveKey('A');
    ticks(1);
    CHECK(idleTimerState().idleSeconds == 0);

    openAndClick(IDOK, BST_CHECKED);
    CHECK_FALSE(appSettings()->getCountInput());
    CHECK_FALSE(inputWatchRunning());
    CHECK(lines(readFile(settingsPath())).size() == 9);
    ticks(30);
    inFront();
    giveKey('A');
    ticks(1);
    CHECK(idleTimerState().idleSeconds == 32);
    CHECK(dialogsOtherThan(driver, {"Tarnel options"}).empty());
}

TEST_CASE("a window that opens under the resting pointer is not input") {
    Module m;
    Workspace w("input-resting");
    startReviewing(m, w, oneMinuteWith("1"));
    // Where the countdown opens: the pointer is put there, the wheel turned
    // (the count starts again and the window goes), and then nothing.
    ticks(51);
    const HWND first = countdownHwnd();
    REQUIRE(first != nullptr);
    RECT r;
    GetWindowRect(first, &r);
    movePointer({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    giveMouse(MOUSEEVENTF_WHEEL, 0, WHEEL_DELTA);
    ticks(1);
    CHECK(idleTimerState().idleSeconds == 0);
    CHECK(countdownHwnd() == nullptr);
    // The countdown opens again under the pointer and runs out.
    LASTINPUTINFO before = {sizeof before, 0};
    REQUIRE(GetLastInputInfo(&before));
    ticks(51);
    const HWND second = countdownHwnd();
    REQUIRE(second != nullptr);
    for (int i = 0; i < 20; ++i) {
        takeMessages();
        Sleep(10);
    }
    // The window's appearance did give an input event (the pointer entered
    // it), or this case would prove nothing on this display.
    LASTINPUTINFO after = {sizeof after, 0};
    REQUIRE(GetLastInputInfo(&after));
    CHECK(after.dwTime != before.dwTime);
    ticks(1);
    CHECK(idleTimerState().idleSeconds == 52);
    CHECK(countdownHwnd() == second);
    ticks(8);
    CHECK(acDocManagerPtr()->documentCount() == 0);
}
