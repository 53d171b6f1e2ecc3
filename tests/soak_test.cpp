// Random host event sequences: a seeded generator drives the module inside
// the stand-in host through its real notifications, with the timer
// procedure called directly, and checks the invariants after every step.
//   soak_test.exe [-d]                   a few hundred sequences (CI)
//   SOAK_SEQUENCES=10000 soak_test.exe    the long run ("make soak")
//   SOAK_SEED=1234 soak_test.exe          replays one sequence
#include <doctest.h>
#include <windows.h>
#include <psapi.h>
#include <cstdio>
#include <cstdlib>
#include <random>
#include "acdocman.h"
#include "aced.h"
#include "cadhost.h"
#include "idle/closeaction.h"
#include "idle/countdowndialog.h"
#include "idle/idletimer.h"
#include "modulefixture.h"
#include "resources/resource.h"
#include "shell/guardapp.h"

using namespace testkit;
using namespace modtest;

namespace {

int envInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

size_t countOf(const std::string& text, const std::string& part, size_t from) {
    size_t n = 0;
    for (size_t p = text.find(part, from); p != std::string::npos; p = text.find(part, p + 1))
        ++n;
    return n;
}

struct Sequence {
    unsigned seed;
    std::mt19937 rng;
    Workspace w;
    int drawings = 0;
    std::string failure;

    explicit Sequence(unsigned s) : seed(s), rng(s), w("soak") {}

    int pick(int n) { return (int)(rng() % (unsigned)n); }

    void fail(const std::string& why) {
        if (failure.empty()) failure = why;
    }

    // The invariants that hold after every step.
    void check(const char* step) {
        const IdleTimer& t = idleTimerState();
        CountdownDialog* c = t.countdownWindow;
        if (c && c->GetSafeHwnd() && !IsWindow(c->GetSafeHwnd()))
            fail(std::string(step) + ": the countdown pointer outlived its window");
        if (!IsWindow(adsw_acadMainWnd()) && acDocManagerPtr()->documentCount() != 0)
            fail(std::string(step) + ": the host was closed with drawings open");
    }

    void activity(const char* line) {
        cadhost::executeLine(line);
        if (idleTimerState().idleSeconds != 0) fail(std::string(line) + ": the count went on");
    }

    // Ticks, maybe with a click on the countdown delivered by the first pump.
    void tickRun() {
        const std::string before = readFile(w.dir + "\\tarnel.log");
        const size_t from = w.transcript().size();
        int n = 1 + pick(70);
        for (int i = 0; i < n && IsWindow(adsw_acadMainWnd()); ++i) {
            if (HWND dlg = countdownHwnd(); dlg && pick(6) == 0) {
                int button = pick(2) ? IDC_COUNTDOWN_CANCEL : IDC_COUNTDOWN_DISABLE;
                PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                             (LPARAM)GetDlgItem(dlg, button));
            }
            ticks(1);
        }
        // Every drawing the module closed has exactly one report block.
        const std::string t = w.transcript();
        const std::string log = readFile(w.dir + "\\tarnel.log");
        size_t closed = countOf(t, "document closed", from);
        size_t newBlocks = countOf(log, "=====\r\n", 0) - countOf(before, "=====\r\n", 0);
        size_t failed = countOf(t, "document save failed", from);
        if (newBlocks < closed || newBlocks > closed + failed)
            fail("ticks: " + std::to_string(closed) + " drawings closed, " +
                 std::to_string(newBlocks) + " report blocks");
        dropQuit();
    }

    void step() {
        switch (pick(12)) {
        case 0:
            activity(pick(2) ? "LINE 0,0 1,1" : "ZOOM");
            break;
        case 1:
            activity("CIRCLE 0,0 ^C");
            break;
        case 2:
            activity("OPEN nowhere.dwg");
            break;
        case 3:
            activity("(command \"LINE\" \"0,0\" \"1,1\") (command \"ERASE\")");
            break;
        case 4:
            activity("LINE 0,0 'ZOOM 1,1");
            break;
        case 5:
            w.open("d" + std::to_string(drawings++) + ".dwg", pick(2) ? "LINE 0,0 1,1\r\n" : "");
            break;
        case 6:
            activity("NEW");
            break;
        case 7:
            if (acDocManagerPtr()->documentCount()) activity("SAVE");
            break;
        case 8:
            if (acDocManagerPtr()->documentCount()) activity("CLOSE");
            break;
        case 9:
        case 10:
            tickRun();
            break;
        case 11:
            if (pick(4) == 0) { // the user closes the host; it closes the drawings after its loop
                SendMessageA(adsw_acadMainWnd(), WM_CLOSE, 0, 0);
                cadhost::closeAllDrawings();
                dropQuit();
            }
            break;
        }
    }
};

size_t privateBytes() {
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&pmc, sizeof pmc);
    return pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
}

DWORD handleCount() {
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return n;
}

} // namespace

TEST_CASE("random host event sequences keep every invariant") {
    setFlashPause(0); // the beeps and flashes, without their half-second pause
    const int sequences = envInt("SOAK_SEQUENCES", 300);
    const unsigned only = (unsigned)envInt("SOAK_SEED", 0);
    int ran = 0, failed = 0;
    size_t bytesBefore = 0;
    DWORD handlesBefore = 0;
    for (int i = 0; i < sequences; ++i) {
        const unsigned seed = only ? only : 1000u + (unsigned)i;
        if (i == 10) { // once the first windows, fonts and caches exist
            bytesBefore = privateBytes();
            handlesBefore = handleCount();
        }
        std::string failure;
        {
            Module m;
            Sequence s(seed);
            m.start({{"TimeInactivity", "1"},
                     {"TimeCountdown", std::to_string(10 + (int)(seed % 50))},
                     {"Action", std::to_string(seed % 3)},
                     {"AllowDisable", "1"}});
            int steps = 8 + s.pick(16);
            for (int k = 0; k < steps && IsWindow(adsw_acadMainWnd()); ++k) {
                s.step();
                s.check("step");
            }
            m.stop();
            s.check("unload");
            if (idleTimerState().timerId != 0) s.fail("the timer runs after unload");
            cadhost::closeAllDrawings();
            failure = s.failure;
        }
        ++ran;
        if (!failure.empty()) {
            ++failed;
            std::printf("soak: seed %u failed: %s\n", seed, failure.c_str());
            CHECK_MESSAGE(failure.empty(), "seed " << seed << ": " << failure);
        }
        if (only) break;
    }
    setFlashPause(500);
    const size_t bytesAfter = privateBytes();
    const DWORD handlesAfter = handleCount();
    std::printf("soak: %d sequences, %d failed; handles %lu -> %lu, private KiB %lu -> %lu\n", ran,
                failed, handlesBefore, handlesAfter, (unsigned long)(bytesBefore / 1024),
                (unsigned long)(bytesAfter / 1024));
    if (ran > 10) {
        CHECK(handlesAfter <= handlesBefore + 8);
        CHECK(bytesAfter <= bytesBefore + 4u * 1024 * 1024);
    }
}
