// Input to the host's windows as activity: posted keys, buttons, the wheel
// and mouse moves, the slack of a resting hand, other threads' windows, and
// the check box of the Configuration page acting at OK.
#include <doctest.h>
#include <windows.h>
#include <thread>
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

// Takes every waiting message off the queue as the host's loop does.
void runQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void post(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0) {
    PostMessageA(window, message, w, l);
    runQueue();
}

// A mouse move to the screen point at, posted to window in its client
// coordinates.
void moveTo(HWND window, POINT at) {
    ScreenToClient(window, &at);
    post(window, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
}

// The module started with these settings and one drawing open to review.
void startReviewing(Module& m, Workspace& w, const std::map<std::string, std::string>& settings) {
    m.start(settings);
    w.open("review.dwg");
}

POINT offset(POINT p, int dx, int dy) {
    return {p.x + dx, p.y + dy};
}

} // namespace

TEST_CASE("input to the host's windows keeps it open past the idle time only when counted") {
    Module m;
    Workspace w("input-counted");
    const HWND main = adsw_acadMainWnd();
    struct Case {
        UINT message;
        WPARAM wParam;
    };
    const Case presses[] = {{WM_KEYDOWN, 'A'},     {WM_SYSKEYDOWN, VK_MENU},
                            {WM_LBUTTONDOWN, 0},   {WM_RBUTTONDOWN, 0},
                            {WM_MBUTTONDOWN, 0},   {WM_LBUTTONDBLCLK, 0},
                            {WM_NCLBUTTONDOWN, 0}, {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)}};

    SUBCASE("on: every press and turn of the wheel starts the count again") {
        startReviewing(m, w, oneMinuteWith("1"));
        CHECK(inputWatchRunning());
        for (const Case& c : presses) {
            CAPTURE(c.message);
            ticks(40);
            post(main, c.message, c.wParam);
            CHECK(idleTimerState().idleSeconds == 0);
        }
        // Eight times forty seconds, and the drawing is still open.
        CHECK(acDocManagerPtr()->documentCount() == 1);
        CHECK(IsWindow(main));
        // Input with the countdown up closes it, as a command does.
        ticks(51);
        REQUIRE(countdownHwnd() != nullptr);
        HWND countdown = countdownHwnd();
        post(countdown, WM_KEYDOWN, VK_SPACE);
        CHECK_FALSE(IsWindow(countdown));
        CHECK(idleTimerState().idleSeconds == 0);
        // The same taken by the tick's own pump, which the window is closed under.
        ticks(51);
        countdown = countdownHwnd();
        REQUIRE(countdown != nullptr);
        PostMessageA(countdown, WM_KEYDOWN, VK_SPACE, 0);
        PostMessageA(countdown, WM_KEYUP, VK_SPACE, 0);
        ticks(1);
        CHECK_FALSE(IsWindow(countdown));
        CHECK(countdownHwnd() == nullptr);
        CHECK(idleTimerState().idleSeconds == 0);
        ticks(59);
        CHECK(IsWindow(main));
        CHECK(acDocManagerPtr()->documentCount() == 1);
    }
    SUBCASE("off: the same input is not activity, and the minute closes the host") {
        startReviewing(m, w, oneMinuteWith("0"));
        CHECK_FALSE(inputWatchRunning());
        ticks(40);
        for (const Case& c : presses)
            post(main, c.message, c.wParam);
        CHECK(idleTimerState().idleSeconds == 40);
        ticks(20);
        CHECK(acDocManagerPtr()->documentCount() == 0);
        CHECK_FALSE(IsWindow(main));
    }
    SUBCASE("a file of nine lines, from before the setting: off") {
        m.start(kOneMinute);
        CHECK_FALSE(inputWatchRunning());
        ticks(10);
        post(main, WM_KEYDOWN, 'A');
        CHECK(idleTimerState().idleSeconds == 10);
    }
}

TEST_CASE("mouse moves count only beyond the system's drag distance from the last one counted") {
    Module m;
    Workspace w("input-moves");
    startReviewing(m, w, oneMinuteWith("1"));
    const HWND main = adsw_acadMainWnd();
    const int slack = GetSystemMetrics(SM_CXDRAG);
    REQUIRE(slack == GetSystemMetrics(SM_CYDRAG));
    REQUIRE(slack >= 1);
    POINT cursor;
    REQUIRE(GetCursorPos(&cursor));

    ticks(5);
    moveTo(main, cursor); // a window appearing under a cursor that stays
    CHECK(idleTimerState().idleSeconds == 5);
    moveTo(main, offset(cursor, 1, 0));
    moveTo(main, offset(cursor, slack, -slack));
    CHECK(idleTimerState().idleSeconds == 5);
    moveTo(main, offset(cursor, slack + 1, 0));
    CHECK(idleTimerState().idleSeconds == 0);

    // The last move counted is the new point of reference.
    const POINT counted = offset(cursor, slack + 1, 0);
    ticks(7);
    moveTo(main, offset(counted, 0, 1));
    moveTo(main, offset(counted, -1, -1));
    moveTo(main, offset(counted, 0, slack));
    CHECK(idleTimerState().idleSeconds == 7);
    moveTo(main, offset(counted, 0, -slack - 1));
    CHECK(idleTimerState().idleSeconds == 0);

    // Non-client moves are in screen coordinates already.
    ticks(3);
    const POINT away = offset(counted, 40, 40);
    post(main, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(away.x, away.y));
    CHECK(idleTimerState().idleSeconds == 0);
}

TEST_CASE("input that is not the host's does not count") {
    Module m;
    Workspace w("input-elsewhere");
    startReviewing(m, w, oneMinuteWith("1"));
    ticks(12);
    SUBCASE("another thread's window: another program's, as far as the hook can tell") {
        bool handled = false;
        std::thread other([&] {
            HWND h = CreateWindowExA(0, "STATIC", "elsewhere", WS_POPUP, 0, 0, 50, 50, nullptr,
                                     nullptr, nullptr, nullptr);
            PostMessageA(h, WM_KEYDOWN, 'A', 0);
            PostMessageA(h, WM_LBUTTONDOWN, 0, 0);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            handled = true;
            DestroyWindow(h);
        });
        other.join();
        CHECK(handled);
        runQueue();
        CHECK(idleTimerState().idleSeconds == 12);
    }
    SUBCASE("a thread message, a key released, a look at the queue that leaves the message") {
        PostThreadMessageA(GetCurrentThreadId(), WM_KEYDOWN, 'A', 0);
        post(adsw_acadMainWnd(), WM_KEYUP, 'A');
        post(adsw_acadMainWnd(), WM_CHAR, 'a');
        PostMessageA(adsw_acadMainWnd(), WM_KEYDOWN, 'B', 0);
        MSG msg;
        CHECK(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
        CHECK(idleTimerState().idleSeconds == 12);
        runQueue(); // now it is taken, and counts
        CHECK(idleTimerState().idleSeconds == 0);
    }
}

TEST_CASE("the hook comes and goes with the watch") {
    Module m;
    Workspace w("input-hook");
    startReviewing(m, w,
                   {{"CountInput", "1"},
                    {"AllowDisable", "1"},
                    {"TimeInactivity", "1"},
                    {"TimeCountdown", "10"}});
    CHECK(inputWatchRunning());
    SUBCASE("Disable in the countdown window") {
        ticks(51);
        REQUIRE(countdownHwnd() != nullptr);
        SendMessageA(GetDlgItem(countdownHwnd(), IDC_COUNTDOWN_DISABLE), BM_CLICK, 0, 0);
        CHECK(idleTimerState().timerId == 0);
        CHECK_FALSE(inputWatchRunning());
        post(adsw_acadMainWnd(), WM_KEYDOWN, 'A');
        CHECK(idleTimerState().idleSeconds == 51);
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
        post(adsw_acadMainWnd(), WM_KEYDOWN, 'A');
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
    post(adsw_acadMainWnd(), WM_KEYDOWN, 'A');
    CHECK(idleTimerState().idleSeconds == 0);

    openAndClick(IDOK, BST_CHECKED);
    CHECK_FALSE(appSettings()->getCountInput());
    CHECK_FALSE(inputWatchRunning());
    CHECK(lines(readFile(settingsPath())).size() == 9);
    ticks(30);
    post(adsw_acadMainWnd(), WM_KEYDOWN, 'A');
    CHECK(idleTimerState().idleSeconds == 30);
    CHECK(dialogsOtherThan(driver, {"Tarnel options"}).empty());
}
