// The close action for each setting, with real drawings on disk: rescue
// copies of saves that fail, the watch started again for a seat left open,
// and what it does when the heap gives out in the middle of it.
#include <doctest.h>
#include "textchecks.h"
#include <algorithm>
#include "acdocman.h"
#include "aced.h"
#include "allocfaults.h"
#include "cadhost.h"
#include <ctime>
#include "idle/closeaction.h"
#include "idle/idletimer.h"
#include "idle/savename.h"
#include "modulefixture.h"
#include "shell/guardapp.h"

using namespace testkit;
using namespace modtest;

TEST_CASE("save names") {
    CHECK(saveNameIn(SaveToOtherDrawing, "D:\\work\\plan.dwg", "C:\\x") ==
          "D:\\work\\tarnel_plan.dwg");
    CHECK(saveNameIn(SaveToCurrentDrawing, "D:\\work\\plan.dwg", "C:\\x") == "D:\\work\\plan.dwg");
    CHECK(saveNameIn(QuitWithoutSaving, "D:\\work\\plan.dwg", "C:\\x").empty());
    CHECK(saveNameIn(SaveToOtherDrawing, "Drawing1.dwg", "D:\\projects") ==
          "D:\\projects\\tarnel_Drawing1.dwg");
    CHECK(saveNameIn(SaveToOtherDrawing, "Drawing1.dwg", "D:\\") == "D:\\tarnel_Drawing1.dwg");
    CHECK(saveNameIn(SaveToOtherDrawing, "\\plan.dwg", "D:\\w") == "D:\\w\\tarnel_\\plan.dwg");
    std::string target = "stale";
    buildSaveName(QuitWithoutSaving, "x.dwg", target);
    CHECK(target.empty());
}

TEST_CASE("the close action for each setting, with real files") {
    Module m;
    Workspace w("close-actions");

    SUBCASE("save to another drawing writes a copy beside the original") {
        m.start({{"Action", "2"}});
        w.open("plan.dwg", "LINE 0,0 1,1\r\n");
        cadhost::executeLine("CIRCLE 5,5 1");
        runCloseAction(nullptr);
        CHECK(readFile(w.dir + "\\plan.dwg") == drawingBytes("LINE 0,0 1,1\r\n"));
        CHECK(readFile(w.dir + "\\tarnel_plan.dwg") ==
              drawingBytes("LINE 0,0 1,1\r\nCIRCLE 5,5 1\r\n"));
        std::vector<std::string> log = lines(reportLog(w.dir));
        REQUIRE(log.size() == 4);
        CHECK(isTimeLine(log[0]));
        CHECK(log[1] == "  Drawing: " + w.dir + "\\tarnel_plan.dwg ");
        CHECK(log[2] == "Save to other dwg.  Status: 1 ");
        CHECK(log[3] == std::string(59, '='));
        CHECK_CONTAINS(reportLog(w.dir), "\r\n");
        CHECK(modtest::registryMessage() == "Your last session was saved to " + w.dir +
                                                "\\tarnel_plan.dwg " + log[0] + " with status 1.");
        CHECK_FALSE(IsWindow(adsw_acadMainWnd()));
    }
    SUBCASE("save in place saves twice while DBMOD stays set") {
        m.start({{"Action", "1"}});
        w.open("clean.dwg");
        w.open("dirty.dwg");
        cadhost::executeLine("LINE 1,1 2,2");
        runCloseAction(nullptr);
        std::string t = w.transcript();
        CHECK(count(t, "document saved " + w.dir + "\\dirty.dwg") == 2);
        CHECK(count(t, "document saved " + w.dir + "\\clean.dwg") == 1);
        CHECK(readFile(w.dir + "\\dirty.dwg") == drawingBytes("LINE 1,1 2,2\r\n"));
        std::vector<std::string> log = lines(reportLog(w.dir));
        REQUIRE(log.size() == 8);
        CHECK(log[6] == "Save to current dwg.  Status: 1 ");
        CHECK_CONTAINS(modtest::registryMessage(), "dirty.dwg");
    }
    SUBCASE("quit without saving saves nothing and reports three lines per drawing") {
        m.start({{"Action", "0"}});
        w.open("a.dwg");
        w.open("b.dwg");
        w.open("c.dwg");
        cadhost::executeLine("ERASE");
        runCloseAction(nullptr);
        CHECK_LACKS(w.transcript(), "document saved");
        std::vector<std::string> log = lines(reportLog(w.dir));
        REQUIRE(log.size() == 9);
        for (int i = 0; i < 3; ++i) {
            CHECK(isTimeLine(log[i * 3]));
            CHECK(log[i * 3 + 1] == "  Action: Quit, don't save.");
            CHECK(log[i * 3 + 2] == std::string(59, '='));
        }
        CHECK(modtest::registryMessage() == "Your last session was aborted " + log[6] + ".");
        CHECK(acDocManagerPtr()->documentCount() == 0);
    }
    SUBCASE("a save that cannot reach its folder goes to a rescue copy, and is closed") {
        m.start({{"Action", "1"}});
        const std::string share = w.dir + "\\share";
        REQUIRE(CreateDirectoryA(share.c_str(), nullptr));
        w.open("share\\plan.dwg", "LINE 0,0 1,1\r\n");
        cadhost::executeLine("CIRCLE 2,2 1");
        w.open("local.dwg");
        cadhost::executeLine("LINE 5,5 6,6");
        // The drive went away at night.
        REQUIRE(DeleteFileA((share + "\\plan.dwg").c_str()));
        REQUIRE(RemoveDirectoryA(share.c_str()));
        runCloseAction(nullptr);
        CHECK(acDocManagerPtr()->documentCount() == 0);
        CHECK_FALSE(IsWindow(adsw_acadMainWnd()));
        std::vector<std::string> rescued = filesIn(w.rescueDir());
        REQUIRE(rescued.size() == 1);
        CHECK(rescued[0].size() == std::string("plan_20261208-021000.dwg").size());
        CHECK_STARTS(rescued[0], "plan_");
        CHECK(rescued[0].find(".dwg") == rescued[0].size() - 4);
        const std::string copy = w.rescueDir() + "\\" + rescued[0];
        CHECK(readFile(copy) == drawingBytes("LINE 0,0 1,1\r\nCIRCLE 2,2 1\r\n"));
        CHECK(readFile(w.dir + "\\local.dwg") == drawingBytes("LINE 5,5 6,6\r\n"));
        std::vector<std::string> log = lines(reportLog(w.dir));
        REQUIRE(log.size() == 9);
        CHECK(log[1] == "  Drawing: " + share + "\\plan.dwg ");
        CHECK(log[2] == "Save to current dwg.  Status: 0 ");
        CHECK(log[3] == "  Could not be saved there; rescue copy: " + copy + " ");
        CHECK(log[4] == std::string(59, '='));
        CHECK(log[7] == "Save to current dwg.  Status: 1 ");
        // The drawing saved after it does not hide the rescue from the user.
        CHECK(modtest::registryMessage() == "Your last session could not save " + share +
                                                "\\plan.dwg " + log[0] +
                                                ". A rescue copy was saved to " + copy + ".");
    }
    SUBCASE("two drawings rescued: the next start names both") {
        m.start({{"Action", "1"}});
        const std::string share = w.dir + "\\share";
        REQUIRE(CreateDirectoryA(share.c_str(), nullptr));
        w.open("share\\plan.dwg", "LINE 0,0 1,1\r\n");
        cadhost::executeLine("CIRCLE 2,2 1");
        w.open("share\\site.dwg", "LINE 0,0 1,1\r\n");
        cadhost::executeLine("CIRCLE 3,3 1");
        // The drive went away at night.
        REQUIRE(DeleteFileA((share + "\\plan.dwg").c_str()));
        REQUIRE(DeleteFileA((share + "\\site.dwg").c_str()));
        REQUIRE(RemoveDirectoryA(share.c_str()));
        runCloseAction(nullptr);
        std::vector<std::string> rescued = filesIn(w.rescueDir());
        REQUIRE(rescued.size() == 2);
        const std::string message = modtest::registryMessage();
        for (const char* name : {"plan.dwg", "site.dwg"}) {
            CAPTURE(name);
            CHECK_CONTAINS(message, "Your last session could not save " + share + "\\" + name);
        }
        for (const std::string& copy : rescued)
            CHECK_CONTAINS(message, ". A rescue copy was saved to " + w.rescueDir() + "\\" + copy);
        CHECK(lines(message).size() == 2);
    }
    SUBCASE(
        "a copy held by another program is rescued under a second name when the first is taken") {
        m.start({{"Action", "2"}});
        w.open("held.dwg", "ARC 1\r\n");
        writeFile(w.dir + "\\tarnel_held.dwg", "");
        HANDLE held = CreateFileA((w.dir + "\\tarnel_held.dwg").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        REQUIRE(held != INVALID_HANDLE_VALUE);
        // Every name of this second and the next is taken but the second one.
        CreateDirectoryA(w.rescueDir().c_str(), nullptr);
        std::vector<std::string> taken;
        for (std::time_t t = std::time(nullptr), end = t + 3; t < end; ++t) {
            char stamp[32];
            std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&t));
            taken.push_back(std::string("held_") + stamp + ".dwg");
            writeFile(w.rescueDir() + "\\" + taken.back(), "someone else's");
        }
        runCloseAction(nullptr);
        CloseHandle(held);
        CHECK(acDocManagerPtr()->documentCount() == 0);
        std::vector<std::string> names = filesIn(w.rescueDir());
        REQUIRE(names.size() == 4);
        std::string copy;
        for (const std::string& n : names)
            if (n.find(" (2).dwg") != std::string::npos) copy = w.rescueDir() + "\\" + n;
        REQUIRE_FALSE(copy.empty());
        CHECK(readFile(copy) == drawingBytes("ARC 1\r\n"));
        for (const std::string& n : taken)
            CHECK(readFile(w.rescueDir() + "\\" + n) == "someone else's");
        std::vector<std::string> log = lines(reportLog(w.dir));
        REQUIRE(log.size() == 5);
        CHECK(log[2] == "Save to other dwg.  Status: 0 ");
        CHECK(log[3] == "  Could not be saved there; rescue copy: " + copy + " ");
    }
    SUBCASE("a rescue that fails too keeps that drawing open and the host running") {
        m.start({{"Action", "1"}});
        // A file where the rescue folder would be: no rescue copy can be made.
        writeFile(w.rescueDir(), "");
        w.open("first.dwg");
        cadhost::executeLine("LINE 0,0 3,3");
        w.open("held.dwg");
        cadhost::executeLine("CIRCLE 1,1 1");
        w.open("last.dwg");
        HANDLE held = CreateFileA((w.dir + "\\held.dwg").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        REQUIRE(held != INVALID_HANDLE_VALUE);
        runCloseAction(nullptr);
        CloseHandle(held);
        CHECK(acDocManagerPtr()->documentCount() == 1);
        AcApDocument* left = acDocManagerPtr()->curDocument();
        REQUIRE(left != nullptr);
        CHECK(std::string(left->fileName()) == w.dir + "\\held.dwg");
        resbuf rb = {};
        CHECK(acedGetVar("DBMOD", &rb) == RTNORM);
        CHECK(rb.resval.rint != 0);
        CHECK(IsWindow(adsw_acadMainWnd()));
        std::vector<std::string> log = lines(reportLog(w.dir));
        REQUIRE(log.size() == 12);
        CHECK(log[2] == "Save to current dwg.  Status: 1 ");
        CHECK(log[6] == "Save to current dwg.  Status: 0 ");
        CHECK(log[10] == "Save to current dwg.  Status: 1 ");
        CHECK(readFile(w.dir + "\\first.dwg") == drawingBytes("LINE 0,0 3,3\r\n"));
        CHECK_CONTAINS(modtest::registryMessage(), "last.dwg");
    }
    SUBCASE("a quit taken between drawings is posted again with its exit code") {
        m.start({{"Action", "1"}});
        writeFile(w.rescueDir(), ""); // held.dwg stays open, and so does the host
        w.open("q1.dwg");
        w.open("q2.dwg");
        w.open("held.dwg");
        HANDLE held = CreateFileA((w.dir + "\\held.dwg").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        PostQuitMessage(3);
        runCloseAction(nullptr);
        CloseHandle(held);
        MSG msg = {};
        REQUIRE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        CHECK(msg.wParam == 3);
        CHECK(acDocManagerPtr()->documentCount() == 1);
        CHECK(IsWindow(adsw_acadMainWnd()));
        // The last drawing handled could not be saved at all, and the next
        // start says so.
        const std::string message = modtest::registryMessage();
        CHECK_STARTS(message, "Your last session could not save " + w.dir + "\\held.dwg ");
        CHECK_CONTAINS(message, ". The drawing was left open with its changes.");
    }
}

TEST_CASE("the close action's steps, in the host's order") {
    Module m;
    Workspace w("close-steps");
    m.start({{"Action", "1"}});
    w.open("clean.dwg");
    w.open("dirty.dwg");
    cadhost::executeLine("LINE 1,1 2,2");
    runCloseAction(nullptr);
    const std::string a = w.dir + "\\clean.dwg", b = w.dir + "\\dirty.dwg";
    // Each drawing made current and locked, saved (the modified one twice),
    // unlocked, closed; then the host.
    const std::vector<std::string> expected = {"document current " + a + " locked 4",
                                               "notify beginSave " + a,
                                               "document saved " + a,
                                               "notify saveComplete " + a,
                                               "document unlocked " + a,
                                               "notify beginClose " + a,
                                               "document closed " + a,
                                               "document current " + b + " locked 4",
                                               "notify beginSave " + b,
                                               "document saved " + b,
                                               "notify saveComplete " + b,
                                               "notify beginSave " + b,
                                               "document saved " + b,
                                               "notify saveComplete " + b,
                                               "document unlocked " + b,
                                               "notify beginClose " + b,
                                               "document closed " + b,
                                               "main window closed"};
    std::vector<std::string> t = lines(w.transcript());
    const auto from = std::find(t.begin(), t.end(), expected[0]);
    REQUIRE(from != t.end());
    std::vector<std::string> steps(from, t.end());
    steps.resize(std::min(steps.size(), expected.size()));
    CHECK(steps == expected);
}

TEST_CASE("a seat left open is watched again: the countdown comes back after a full wait") {
    Module m;
    Workspace w("close-watch-again");
    m.start({{"Action", "1"}, {"TimeInactivity", "1"}, {"TimeCountdown", "10"}});
    writeFile(w.rescueDir(), ""); // the first rescue fails
    w.open("held.dwg");
    cadhost::executeLine("LINE 0,0 1,1");
    HANDLE held = CreateFileA((w.dir + "\\held.dwg").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    REQUIRE(held != INVALID_HANDLE_VALUE);
    ticks(60);
    CHECK(count(w.transcript(), "document save failed " + w.dir + "\\held.dwg") == 1);
    CHECK(acDocManagerPtr()->documentCount() == 1);
    CHECK(idleTimerState().timerId != 0);
    CHECK(idleTimerState().idleSeconds == 0);
    CHECK(countdownHwnd() == nullptr);
    ticks(50);
    CHECK(countdownHwnd() == nullptr);
    ticks(1);
    CHECK(countdownHwnd() != nullptr);
    // By the second expiry the rescue folder can be made.
    REQUIRE(DeleteFileA(w.rescueDir().c_str()));
    ticks(9);
    CloseHandle(held);
    CHECK(acDocManagerPtr()->documentCount() == 0);
    CHECK(filesIn(w.rescueDir()).size() == 1);
    CHECK(idleTimerState().timerId == 0);
    CHECK_FALSE(IsWindow(adsw_acadMainWnd()));
}

TEST_CASE("a drawing never saved takes a free name in the working folder, never another's") {
    for (int action : {SaveToCurrentDrawing, SaveToOtherDrawing}) {
        CAPTURE(action);
        Module m;
        Workspace w("close-unnamed");
        m.start({{"Action", std::to_string(action)}});
        AcApDocument* doc = cadhost::newDrawing();
        REQUIRE(doc != nullptr);
        const std::string name = doc->fileName();
        REQUIRE(name.find('\\') == std::string::npos);
        cadhost::executeLine("LINE 7,7 8,8");
        const std::string prefix = action == SaveToOtherDrawing ? "tarnel_" : "";
        const std::string taken = w.dir + "\\" + prefix + name;
        writeFile(taken, "someone else's");
        runCloseAction(nullptr);
        CHECK(readFile(taken) == "someone else's");
        const std::string free =
            w.dir + "\\" + prefix + name.substr(0, name.size() - 4) + " (2).dwg";
        CHECK(readFile(free) == drawingBytes("LINE 7,7 8,8\r\n"));
        std::vector<std::string> log = lines(reportLog(w.dir));
        REQUIRE(log.size() == 4);
        CHECK(log[1] == "  Drawing: " + free + " ");
        CHECK(modtest::registryMessage() ==
              "Your last session was saved to " + free + " " + log[0] + " with status 1.");
        CHECK(acDocManagerPtr()->documentCount() == 0);
    }
}

TEST_CASE("a drawing the host gives no name or document for is skipped; the rest are closed") {
    struct Case {
        const char* name;
        bool cadhost::Faults::*fault;
    };
    for (Case c : {Case{"no file name", &cadhost::Faults::noFileName},
                   Case{"null document", &cadhost::Faults::nullDocument}}) {
        CAPTURE(c.name);
        Module m;
        Workspace w("close-skip");
        m.start({{"Action", "2"}});
        w.open("a.dwg", "LINE 0,0 1,1\r\n");
        w.open("b.dwg", "LINE 2,2 3,3\r\n");
        w.open("c.dwg", "LINE 4,4 5,5\r\n");
        HostFaults faults;
        cadhost::faults().*c.fault = true;
        faults->faultyDrawing = "b.dwg";
        runCloseAction(nullptr);
        CHECK(acDocManagerPtr()->documentCount() == 1);
        CHECK(readFile(w.dir + "\\tarnel_a.dwg") == drawingBytes("LINE 0,0 1,1\r\n"));
        CHECK_FALSE(fileExists(w.dir + "\\tarnel_b.dwg"));
        CHECK(readFile(w.dir + "\\tarnel_c.dwg") == drawingBytes("LINE 4,4 5,5\r\n"));
        const std::string t = w.transcript();
        CHECK(count(t, "document closed " + w.dir + "\\a.dwg") == 1);
        CHECK(count(t, "document closed " + w.dir + "\\b.dwg") == 0);
        CHECK(count(t, "document closed " + w.dir + "\\c.dwg") == 1);
        CHECK(lines(reportLog(w.dir)).size() == 8);
        // The host stays open for the drawing left, and the watch runs again.
        CHECK(IsWindow(adsw_acadMainWnd()));
        CHECK(idleTimerState().timerId != 0);
        CHECK(idleTimerState().idleSeconds == 0);
        faults->faultyDrawing = nullptr;
        cadhost::faults().*c.fault = false;
        CHECK(cadhost::closeAllDrawings());
    }
}

TEST_CASE("without an iterator the close action closes nothing and the watch starts again") {
    Module m;
    Workspace w("close-noiter");
    m.start({{"Action", "2"}});
    w.open("a.dwg");
    HostFaults faults;
    faults->noIterator = true;
    runCloseAction(nullptr);
    CHECK(acDocManagerPtr()->documentCount() == 1);
    CHECK(IsWindow(adsw_acadMainWnd()));
    CHECK_FALSE(reportLogExists(w.dir));
    CHECK(idleTimerState().timerId != 0);
    faults->noIterator = false;
    CHECK(cadhost::closeAllDrawings());
}

TEST_CASE("a failed allocation anywhere in the close action stays inside the module") {
    // For every allocation the action makes: the host gets no exception, a
    // drawing is closed only once its copy is on disk, and the host is closed
    // only when no drawing is left.
    int points = 0;
    for (long k = 1;; ++k) {
        CAPTURE(k);
        Module m;
        Workspace w("close-alloc");
        m.start({{"Action", "2"}});
        w.open("a.dwg", "LINE 0,0 1,1\r\n");
        w.open("b.dwg", "CIRCLE 1,1 1\r\n");
        bool hit;
        {
            allocfaults::FailAt fault(k);
            CHECK_NOTHROW(runCloseAction(nullptr));
            hit = fault.hit();
        }
        const int open = acDocManagerPtr()->documentCount();
        const std::string t = w.transcript();
        for (const char* name : {"a.dwg", "b.dwg"}) {
            CAPTURE(name);
            if (t.find("document closed " + w.dir + "\\" + name) != std::string::npos)
                CHECK(fileExists(w.dir + "\\tarnel_" + name));
        }
        CHECK(IsWindow(adsw_acadMainWnd()) == (open != 0));
        CHECK(readFile(w.dir + "\\a.dwg") == drawingBytes("LINE 0,0 1,1\r\n"));
        if (!hit) {
            CHECK(open == 0);
            break;
        }
        ++points;
        cadhost::closeAllDrawings();
        dropQuit();
    }
    MESSAGE("allocations failed in turn: " << points);
    CHECK(points > 5);
}
