// The countdown window: what it refuses, what its buttons do, and who may
// destroy it.
#include <doctest.h>
#include "textchecks.h"
#include "aced.h"
#include "cadhost.h"
#include "idle/countdowndialog.h"
#include "idle/idletimer.h"
#include "modulefixture.h"
#include "resources/resource.h"
#include "shell/guardapp.h"

using namespace testkit;
using namespace modtest;

TEST_CASE("the window refuses to close and keeps the focus") {
    Module m;
    Workspace w("countdown-refuses");
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "30"}});
    w.open("plan.dwg");
    ticks(31);
    HWND dlg = countdownHwnd();
    REQUIRE(dlg != nullptr);
    CHECK_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_COUNTDOWN_DISABLE)));
    HMENU menu = GetSystemMenu(dlg, FALSE);
    CHECK((GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED) != 0);
    SendMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); // Alt+F4 and the close box
    SendMessageA(dlg, WM_CLOSE, 0, 0);
    SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0); // Escape
    CHECK(IsWindow(dlg));
    CHECK(IsWindowVisible(dlg));
    CHECK(SendMessageA(dlg, WM_ACAD_KEEPFOCUS, 0, 0) == TRUE);
    ticks(4);
    CHECK_CONTAINS(controlText(dlg, IDC_COUNTDOWN_TEXT), "Seconds left: 25");
    CHECK(countdownHwnd() == dlg);
}

TEST_CASE("Cancel closes the window and a full wait starts again") {
    Module m;
    Workspace w("countdown-cancel");
    m.start({{"TimeInactivity", "2"}, {"TimeCountdown", "30"}});
    w.open("plan.dwg");
    ticks(91);
    HWND dlg = countdownHwnd();
    REQUIRE(dlg != nullptr);
    SendMessageA(GetDlgItem(dlg, IDC_COUNTDOWN_CANCEL), BM_CLICK, 0, 0);
    CHECK_FALSE(IsWindow(dlg));
    CHECK(idleTimerState().countdownWindow == nullptr);
    CHECK(idleTimerState().idleSeconds == 0);
    ticks(90);
    CHECK(countdownHwnd() == nullptr);
    ticks(1);
    CHECK(countdownHwnd() != nullptr);
}

TEST_CASE("a window destroyed with its owner is forgotten by the idle timer") {
    Workspace w("countdown-owner");
    {
        Module m;
        m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "30"}});
        ticks(31);
        HWND dlg = countdownHwnd();
        REQUIRE(dlg != nullptr);
        // The host's main window goes first and takes its owned windows along.
        DestroyWindow(adsw_acadMainWnd());
        CHECK_FALSE(IsWindow(dlg));
        CHECK(idleTimerState().countdownWindow == nullptr);
        ticks(2); // no freed window is touched, and a new one cannot be made
        CHECK(idleTimerState().timerId != 0);
        m.stop();
        CHECK(idleTimerState().countdownWindow == nullptr);
    }
    dropQuit();
}

TEST_CASE("a missing template costs only the window") {
    Module m;
    Workspace w("countdown-notemplate");
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "10"}, {"Action", "2"}});
    w.open("p.dwg");
    {
        ResourcesOutOfReach away(true);
        ticks(51);
        CHECK(idleTimerState().countdownWindow != nullptr);
        CHECK(countdownHwnd() == nullptr);
        ticks(9);
    }
    CHECK(idleTimerState().countdownWindow == nullptr);
    CHECK(fileExists(w.dir + "\\tarnel_p.dwg"));
    CHECK(acDocManagerPtr()->documentCount() == 0);
}
