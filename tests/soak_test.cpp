// Random host event sequences: a seeded generator drives the module inside
// the stand-in host through its real notifications and the system's input, with
// the timer procedure called directly, and checks the invariants after
// every step.
//   soak_test.exe [-d]                   a few hundred sequences (CI)
//   SOAK_SEQUENCES=10000 soak_test.exe    the long run ("make soak")
//   SOAK_SEED=1234 soak_test.exe          replays one sequence
#include <doctest.h>
#include "common/testseam.h"
#include <windows.h>
#include <psapi.h>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include "acdocman.h"
#include "aced.h"
#include "cadhost.h"
#include "idle/closeaction.h"
#include "idle/countdowndialog.h"
#include "idle/idletimer.h"
#include "idle/inputwatch.h"
#include "modulefixture.h"
#include "resources/resource.h"
#include "shell/guardapp.h"

using namespace testkit;
using namespace modtest;

namespace {

// Ticks given while a working command runs, and the largest count seen.
int workingTicks = 0, workingMaxCount = 0;
void CALLBACK tickWhileWorking(HWND, UINT, UINT_PTR, DWORD) {
    idleTick(nullptr, WM_TIMER, 0, 0);
    ++workingTicks;
    if (idleTimerState().timerId != 0) // a watch Disabled before keeps its count
        workingMaxCount = std::max(workingMaxCount, idleTimerState().idleSeconds);
}

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
    bool countInput;
    bool cancelWaiting;
    bool disableClicked = false;
    std::vector<HANDLE> held; // drawings another program holds open

    explicit Sequence(unsigned s)
        : seed(s), rng(s), w("soak"), countInput((s / 3) % 2 != 0),
          cancelWaiting((s / 7) % 2 != 0) {
        // Now and then no rescue copy can be made: a file is in the folder's place.
        if (s % 5 == 0) writeFile(w.rescueDir(), "");
    }
    ~Sequence() {
        for (HANDLE h : held)
            CloseHandle(h);
    }

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

    // While the host is open the watch runs, unless Disable was clicked.
    void checkWatching(const char* step) {
        if (IsWindow(adsw_acadMainWnd()) && !disableClicked && idleTimerState().timerId == 0)
            fail(std::string(step) + ": the watch is off with the host open");
    }

    // Input given as a user gives it (a key, the wheel, or the pointer
    // moved), then the tick after it.
    void input() {
        const int kind = pick(3);
        switch (kind) {
        case 0:
            giveKey(VK_SHIFT);
            break;
        case 1:
            giveMouse(MOUSEEVENTF_WHEEL, 0, WHEEL_DELTA);
            break;
        default: {
            movePointer(POINT{100 + pick(600), 100 + pick(400)});
        }
        }
        const bool running = idleTimerState().timerId != 0;
        const bool front = hostInFront();
        idleTick(nullptr, WM_TIMER, 0, 0);
        if (inputWatchRunning() != (countInput && idleTimerState().timerId != 0))
            fail("input: the watch runs other than while input is counted and the timer runs");
        // A key or the wheel always counts; a move only beyond the drag
        // distance of the last one counted.
        if (countInput && running && front && kind != 2 && idleTimerState().idleSeconds != 0)
            fail("input: the count went on with input counted");
    }

    // A drawing whose save will fail: its file held by another program, or
    // its folder gone.
    void unreachableDrawing() {
        const std::string name = "u" + std::to_string(drawings++);
        const std::string folder = w.dir + "\\" + name;
        CreateDirectoryA(folder.c_str(), nullptr);
        const std::string path = folder + "\\" + name + ".dwg";
        if (!w.open(name + "\\" + name + ".dwg", "LINE 0,0 1,1\r\n")) return;
        if (pick(2)) {
            held.push_back(
                CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        } else {
            DeleteFileA(path.c_str());
            RemoveDirectoryA(folder.c_str());
        }
    }

    // Every rescue the report names is a file in the rescue folder.
    void checkRescues() {
        const size_t named = countOf(reportLog(w.dir), "rescue copy: ", 0);
        if (named != filesIn(w.rescueDir()).size())
            fail(std::to_string(named) + " rescue copies reported, " +
                 std::to_string(filesIn(w.rescueDir()).size()) + " on disk");
    }

    void activity(const char* line) {
        cadhost::executeLine(line);
        if (idleTimerState().idleSeconds != 0) fail(std::string(line) + ": the count went on");
    }

    // Ticks, maybe with a click on the countdown delivered by the first pump.
    void tickRun() {
        const std::string before = reportLog(w.dir);
        const size_t from = w.transcript().size();
        // Now and then a run long enough for a whole expiry.
        int n = pick(3) == 0 ? 60 + pick(40) : 1 + pick(70);
        const bool clicks = pick(2) == 0; // a user at the desk, or none
        for (int i = 0; i < n && IsWindow(adsw_acadMainWnd()); ++i) {
            if (HWND dlg = countdownHwnd(); dlg && clicks && pick(6) == 0) {
                int button = pick(2) ? IDC_COUNTDOWN_CANCEL : IDC_COUNTDOWN_DISABLE;
                disableClicked = disableClicked || button == IDC_COUNTDOWN_DISABLE;
                PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                             (LPARAM)GetDlgItem(dlg, button));
            }
            ticks(1);
        }
        // Every drawing the module closed has exactly one report block.
        const std::string t = w.transcript();
        const std::string log = reportLog(w.dir);
        size_t closed = countOf(t, "document closed", from);
        size_t newBlocks = countOf(log, "=====\r\n", 0) - countOf(before, "=====\r\n", 0);
        size_t failed = countOf(t, "document save failed", from);
        if (newBlocks < closed || newBlocks > closed + failed)
            fail("ticks: " + std::to_string(closed) + " drawings closed, " +
                 std::to_string(newBlocks) + " report blocks");
        dropQuit();
    }

    // A drawing left waiting (a prompt, a LISP evaluation, a transparent
    // command, the host's dialog) while ticks come, or a working command.
    // Nothing is closed while the command is active; without CancelWaiting
    // the count stays at 0; a working second is never counted quiet.
    void waitingRun() {
        if (!acDocManagerPtr()->documentCount()) return;
        const int kind = pick(5);
        if (kind == 4) {
            workingTicks = workingMaxCount = 0;
            const UINT_PTR every = SetTimer(nullptr, 0, 300, tickWhileWorking);
            cadhost::executeLine("REGEN 700");
            KillTimer(nullptr, every);
            if (workingMaxCount != 0 && workingTicks > 0)
                fail("REGEN: a working second was counted quiet");
            return;
        }
        static const std::vector<std::string> typed[] = {
            {"LINE"}, {"(getpoint)"}, {"LINE", "'CAL"}, {"DDOPTIONS"}};
        const size_t from = w.transcript().size();
        const int n = pick(3) == 0 ? 60 + pick(40) : 1 + pick(70);
        std::function<void()> body = [this, n, from] {
            for (int i = 0; i < n && commandActive(); ++i) {
                ticks(1);
                // (A watch Disabled before keeps the count it had.)
                if (!cancelWaiting && idleTimerState().timerId != 0 &&
                    idleTimerState().idleSeconds != 0)
                    fail("waiting: the count went on with CancelWaiting off");
                if (countOf(w.transcript(), "document closed", from) != 0)
                    fail("waiting: a drawing was closed while its command was active");
            }
            // The user comes back and ends it (after the module's cancel, a
            // stray ^C cancels nothing).
            if (HWND d = FindWindowA("#32770", "Options")) PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
            AcApDocManager* dm = acDocManagerPtr();
            if (dm->curDocument()) dm->sendStringToExecute(dm->curDocument(), "\x03");
        };
        typeAndWait(typed[kind], body);
        for (int i = 0; i < 3 && IsWindow(adsw_acadMainWnd()); ++i)
            ticks(1); // a close that waited for the cancels runs now
        dropQuit();
    }

    // Whether the current drawing runs something.
    static bool commandActive() {
        AcApDocument* d = acDocManagerPtr()->curDocument();
        return d && !d->isQuiescent();
    }

    void step() {
        switch (pick(15)) {
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
        case 12:
            input();
            break;
        case 13:
            unreachableDrawing();
            break;
        case 14:
            waitingRun();
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
    testseam::Switches quick;
    quick.flashPauseMs = 0; // the beeps and flashes, without their half-second pause
    testseam::Scope noPause(quick);
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
                     {"AllowDisable", "1"},
                     {"CountInput", s.countInput ? "1" : "0"},
                     {"CancelWaiting", s.cancelWaiting ? "1" : "0"}});
            int steps = 8 + s.pick(16);
            for (int k = 0; k < steps && IsWindow(adsw_acadMainWnd()); ++k) {
                s.step();
                s.check("step");
                s.checkWatching("step");
            }
            s.checkRescues();
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
