// The idle watch driven tick by tick, with the real countdown window, real
// drawings on disk, the report log and the registry message.
#include <doctest.h>
#include <algorithm>
#include "acdocman.h"
#include "aced.h"
#include "cadhost.h"
#include "closeaction.h"
#include "countdowndialog.h"
#include "extensionmodule.h"
#include "guardapp.h"
#include "guardsettings.h"
#include "idletimer.h"
#include "modulefixture.h"
#include "resource.h"

using namespace testkit;
using modtest::Module;

namespace {

void ticks(int n) {
    for (int i = 0; i < n; ++i)
        idleTick(nullptr, WM_TIMER, 0, 0);
}

HWND countdownHwnd() {
    CountdownDialog* w = idleTimer().countdownWindow;
    return w ? w->GetSafeHwnd() : nullptr;
}

std::string countdownText() {
    return controlText(countdownHwnd(), IDC_COUNTDOWN_TEXT);
}

void click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void dropQuit() {
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

std::string drawingBytes(const std::string& entities = "") {
    return "CADHOST DRAWING 1\r\n" + entities;
}

// A folder that is the working directory, with a transcript of the host.
struct Workspace {
    explicit Workspace(const std::string& name) : dir(freshDir(name)) {
        GetCurrentDirectoryA(MAX_PATH, saved);
        SetCurrentDirectoryA(dir.c_str());
        cadhost::setTranscript((dir + "\\transcript.txt").c_str());
    }
    ~Workspace() {
        cadhost::setTranscript(nullptr);
        SetCurrentDirectoryA(saved);
        dropQuit();
    }
    std::string transcript() const { return readFile(dir + "\\transcript.txt"); }
    AcApDocument* open(const std::string& name, const std::string& entities = "") {
        writeFile(dir + "\\" + name, drawingBytes(entities));
        return cadhost::openDrawing((dir + "\\" + name).c_str());
    }
    std::string dir;
    char saved[MAX_PATH] = {};
};

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1))
        ++n;
    return n;
}

bool isTimeLine(const std::string& l) {
    // dd.mm.yyyy at hh:mm:ss
    if (l.size() != 22) return false;
    const std::string shape = "99.99.9999 at 99:99:99";
    for (size_t i = 0; i < l.size(); ++i)
        if (shape[i] == '9' ? !isdigit((unsigned char)l[i]) : shape[i] != l[i]) return false;
    return true;
}

} // namespace

TEST_CASE("thresholds and the countdown window with the default times") {
    Module m;
    Workspace w("idle-defaults");
    modtest::deleteRegistryMessage();
    m.start();
    w.open("plan.dwg");
    REQUIRE(idleTimer().timerId != 0);
    ticks(570);
    CHECK(idleTimer().idleSeconds == 570);
    CHECK(countdownHwnd() == nullptr);
    ticks(1);
    HWND dlg = countdownHwnd();
    REQUIRE(dlg != nullptr);
    CHECK(IsWindowVisible(dlg));
    CHECK(windowText(dlg) == "Tarnel - AutoCAD is about to close");
    CHECK(countdownText() ==
          "Nobody has used AutoCAD for a while: Tarnel will close it.\nSeconds left: 29");
    CHECK(GetWindow(dlg, GW_OWNER) == adsw_acadMainWnd());

    SUBCASE("the window refuses to close and keeps the focus") {
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
        CHECK(countdownText().find("Seconds left: 25") != std::string::npos);
        CHECK(countdownHwnd() == dlg);
    }
    SUBCASE("Cancel closes the window and a full wait starts again") {
        click(dlg, IDC_COUNTDOWN_CANCEL);
        CHECK_FALSE(IsWindow(dlg));
        CHECK(idleTimer().countdownWindow == nullptr);
        CHECK(idleTimer().idleSeconds == 0);
        ticks(570);
        CHECK(countdownHwnd() == nullptr);
        ticks(1);
        CHECK(countdownHwnd() != nullptr);
    }
    SUBCASE("loading a drawing closes the window and restarts the count") {
        currentApp()->dispatch(AcRx::kLoadDwgMsg, nullptr);
        CHECK_FALSE(IsWindow(dlg));
        CHECK(idleTimer().idleSeconds == 0);
        CHECK(idleTimer().timerId != 0);
    }
    SUBCASE("a busy drawing restarts the count") {
        cadhost::beginCommand("DELAY");
        ticks(3);
        CHECK(idleTimer().idleSeconds == 0);
        CHECK_FALSE(IsWindow(dlg));
        cadhost::endCommand(cadhost::Outcome::Ended);
        ticks(2);
        CHECK(idleTimer().idleSeconds == 2);
    }
    m.stop();
    CHECK(idleTimer().timerId == 0);
    CHECK(idleTimer().countdownWindow == nullptr);
}

TEST_CASE("one minute with a sixty-second countdown; Disable stops the watch") {
    Module m;
    Workspace w("idle-oneminute");
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "60"}, {"AllowDisable", "1"}});
    w.open("a.dwg");
    ticks(1);
    REQUIRE(countdownHwnd() != nullptr);
    CHECK(countdownText().find("Seconds left: 59") != std::string::npos);
    HWND dlg = countdownHwnd();
    CHECK(IsWindowEnabled(GetDlgItem(dlg, IDC_COUNTDOWN_DISABLE)));
    click(dlg, IDC_COUNTDOWN_DISABLE);
    CHECK_FALSE(IsWindow(dlg));
    CHECK(idleTimer().timerId == 0);
    int counted = idleTimer().idleSeconds;
    ticks(120); // ticks already queued when the timer stopped do nothing
    CHECK(idleTimer().idleSeconds == counted);
    CHECK(countdownHwnd() == nullptr);
    resetIdle(); // a later command: the count is zeroed, the watch stays off
    CHECK(idleTimer().idleSeconds == 0);
    CHECK(idleTimer().timerId == 0);
    CHECK(cadhost::closeAllDrawings());
}

TEST_CASE("no iterator: the tick neither counts nor resets") {
    Module m;
    Workspace w("idle-noiter");
    m.start();
    ticks(5);
    cadhost::faults().noIterator = true;
    ticks(5);
    cadhost::faults().noIterator = false;
    CHECK(idleTimer().idleSeconds == 5);
}

TEST_CASE("with no drawing open the close action runs directly and closes the host") {
    Module m;
    Workspace w("idle-nodrawing");
    modtest::deleteRegistryMessage();
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "5"}});
    HWND main = adsw_acadMainWnd();
    ticks(59);
    CHECK(IsWindow(main));
    ticks(1);
    CHECK_FALSE(IsWindow(main));
    CHECK(w.transcript().find("application context") == std::string::npos);
    CHECK_FALSE(fileExists(w.dir + "\\tarnel.log"));
    CHECK(modtest::registryMessage() == "(none)");
    CHECK(idleTimer().timerId == 0);
}

TEST_CASE("a click delivered by the last tick's own pump wins") {
    Module m;
    Workspace w("idle-lastclick");
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "10"}});
    w.open("keep.dwg", "LINE 0,0 1,1\r\n");
    ticks(59);
    HWND dlg = countdownHwnd();
    REQUIRE(dlg != nullptr);
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_COUNTDOWN_CANCEL, BN_CLICKED),
                 (LPARAM)GetDlgItem(dlg, IDC_COUNTDOWN_CANCEL));
    ticks(1);
    CHECK(idleTimer().idleSeconds == 0);
    CHECK(idleTimer().timerId != 0);
    CHECK(acDocManagerPtr()->documentCount() == 1);
    CHECK_FALSE(fileExists(w.dir + "\\tarnel_keep.dwg"));
    CHECK(IsWindow(adsw_acadMainWnd()));
}

namespace {
LRESULT CALLBACK nestedTickProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP) {
        idleTick(nullptr, WM_TIMER, 0, 0);
        return 0;
    }
    return DefWindowProcA(h, msg, wp, lp);
}
} // namespace

TEST_CASE("a tick nested in another tick's pump runs the close action once") {
    Module m;
    Workspace w("idle-nested");
    modtest::deleteRegistryMessage();
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "10"}, {"Action", "1"}});
    w.open("n.dwg", "LINE 0,0 1,1\r\n");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = nestedTickProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "NestedTick";
    RegisterClassA(&wc);
    HWND helper = CreateWindowExA(0, "NestedTick", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
    ticks(58);
    PostMessageA(helper, WM_APP, 0, 0); // delivered by the 59th tick's pump
    ticks(1);
    DestroyWindow(helper);
    std::string log = readFile(w.dir + "\\tarnel.log");
    CHECK(count(log, "Status: 1") == 1);
    CHECK(count(w.transcript(), "document closed") == 1);
    CHECK(acDocManagerPtr()->documentCount() == 0);
}

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
    modtest::deleteRegistryMessage();

    SUBCASE("save to another drawing writes a copy beside the original") {
        m.start({{"Action", "2"}});
        w.open("plan.dwg", "LINE 0,0 1,1\r\n");
        cadhost::executeLine("CIRCLE 5,5 1");
        runCloseAction(nullptr);
        CHECK(readFile(w.dir + "\\plan.dwg") == drawingBytes("LINE 0,0 1,1\r\n"));
        CHECK(readFile(w.dir + "\\tarnel_plan.dwg") ==
              drawingBytes("LINE 0,0 1,1\r\nCIRCLE 5,5 1\r\n"));
        std::vector<std::string> log = lines(readFile(w.dir + "\\tarnel.log"));
        REQUIRE(log.size() == 4);
        CHECK(isTimeLine(log[0]));
        CHECK(log[1] == "  Drawing: " + w.dir + "\\tarnel_plan.dwg ");
        CHECK(log[2] == "Save to other dwg.  Status: 1 ");
        CHECK(log[3] == std::string(59, '='));
        CHECK(readFile(w.dir + "\\tarnel.log").find("\r\n") != std::string::npos);
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
        std::vector<std::string> log = lines(readFile(w.dir + "\\tarnel.log"));
        REQUIRE(log.size() == 8);
        CHECK(log[6] == "Save to current dwg.  Status: 1 ");
        CHECK(modtest::registryMessage().find("dirty.dwg") != std::string::npos);
    }
    SUBCASE("quit without saving saves nothing and reports three lines per drawing") {
        m.start({{"Action", "0"}});
        w.open("a.dwg");
        w.open("b.dwg");
        w.open("c.dwg");
        cadhost::executeLine("ERASE");
        runCloseAction(nullptr);
        CHECK(w.transcript().find("document saved") == std::string::npos);
        std::vector<std::string> log = lines(readFile(w.dir + "\\tarnel.log"));
        REQUIRE(log.size() == 9);
        for (int i = 0; i < 3; ++i) {
            CHECK(isTimeLine(log[i * 3]));
            CHECK(log[i * 3 + 1] == "  Action: Quit, don't save.");
            CHECK(log[i * 3 + 2] == std::string(59, '='));
        }
        CHECK(modtest::registryMessage() == "Your last session was aborted " + log[6] + ".");
        CHECK(acDocManagerPtr()->documentCount() == 0);
    }
    SUBCASE("a failed save keeps that drawing open and the host running") {
        m.start({{"Action", "1"}});
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
        std::vector<std::string> log = lines(readFile(w.dir + "\\tarnel.log"));
        REQUIRE(log.size() == 12);
        CHECK(log[2] == "Save to current dwg.  Status: 1 ");
        CHECK(log[6] == "Save to current dwg.  Status: 0 ");
        CHECK(log[10] == "Save to current dwg.  Status: 1 ");
        CHECK(readFile(w.dir + "\\first.dwg") == drawingBytes("LINE 0,0 3,3\r\n"));
        CHECK(modtest::registryMessage().find("last.dwg") != std::string::npos);
    }
    SUBCASE("a quit taken between drawings is posted again") {
        m.start({{"Action", "0"}});
        w.open("q1.dwg");
        w.open("q2.dwg");
        PostQuitMessage(0);
        runCloseAction(nullptr);
        MSG msg;
        CHECK(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
        CHECK(acDocManagerPtr()->documentCount() == 0);
    }
    SUBCASE("the report log only grows") {
        writeFile(w.dir + "\\tarnel.log", "earlier run\r\n");
        m.start({{"Action", "0"}});
        w.open("g.dwg");
        runCloseAction(nullptr);
        std::string log = readFile(w.dir + "\\tarnel.log");
        CHECK(log.rfind("earlier run\r\n", 0) == 0);
        CHECK(lines(log).size() == 4);
    }
}

TEST_CASE("the last run's message is shown once at start-up, then deleted") {
    Module m;
    Workspace w("lastrun");
    DialogDriver dialogs;
    modtest::setRegistryMessage("Your last session was aborted 06.12.2026 at 18:40:05.");
    dialogs.press(IDOK);
    m.start();
    m.stop();
    REQUIRE(dialogs.seen.size() == 1);
    CHECK(dialogs.seen[0].caption == "Tarnel - last session");
    CHECK(std::find(dialogs.seen[0].texts.begin(), dialogs.seen[0].texts.end(),
                    "Your last session was aborted 06.12.2026 at 18:40:05.") !=
          dialogs.seen[0].texts.end());
    CHECK(modtest::registryMessage() == "(none)");
    m.start();
    m.stop();
    CHECK(dialogs.seen.size() == 1);

    modtest::setRegistryMessage("");
    m.start();
    m.stop();
    CHECK(dialogs.seen.size() == 1);
    CHECK(modtest::registryMessage().empty());

    // A value that fills the whole buffer without a terminator stays inside it.
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, tarnelRegistryKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    std::string full(1024, 'x');
    RegSetValueExA(key, "Message", 0, REG_BINARY, (const BYTE*)full.data(), 1024);
    RegCloseKey(key);
    dialogs.press(IDOK);
    m.start();
    m.stop();
    REQUIRE(dialogs.seen.size() == 2);
    CHECK(std::find(dialogs.seen[1].texts.begin(), dialogs.seen[1].texts.end(),
                    std::string(1023, 'x')) != dialogs.seen[1].texts.end());
}

TEST_CASE("built-in texts stand in for missing entries; a missing template costs only the window") {
    Module m;
    Workspace w("idle-builtin");
    modtest::deleteRegistryMessage();
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "10"}, {"Action", "2"}});
    w.open("p.dwg");

    // The resource library's strings out of reach: off the search chain, and
    // the module itself as the handle the string loader pushes.
    ExtensionModuleRecord* rec = extensionRecord();
    HINSTANCE resources = rec->moduleResource;
    AfxTermExtensionModule(rec->module, FALSE);
    rec->moduleResource = GetModuleHandleA(nullptr);
    auto restore = [&] {
        rec->moduleResource = resources;
        AfxInitExtensionModule(rec->module, resources);
        new CDynLinkLibrary(rec->module, FALSE);
    };

    SUBCASE("string-table entries missing") {
        ticks(51);
        CHECK(countdownText() == "Tarnel application will close AutoCAD.\nSeconds: 9");
        ticks(9);
        restore();
        std::string log = readFile(w.dir + "\\tarnel.log");
        std::vector<std::string> l = lines(log);
        REQUIRE(l.size() == 4);
        CHECK(log == l[0] + "\r\n  Drawing: " + w.dir + "\\tarnel_p.dwg \r\n" +
                         "Save to other dwg.  Status: 1 \r\n" + std::string(59, '=') + "\r\n");
        CHECK(modtest::registryMessage() == "Your last session was saved to " + w.dir +
                                                "\\tarnel_p.dwg " + l[0] + " with status 1.");
    }
    SUBCASE("dialog template missing") {
        HINSTANCE dialogs = currentApp()->rawResourceInstance();
        currentApp()->setResourceInstance(nullptr);
        ticks(51);
        CHECK(idleTimer().countdownWindow != nullptr);
        CHECK(countdownHwnd() == nullptr);
        ticks(9);
        currentApp()->setResourceInstance(dialogs);
        restore();
        CHECK(idleTimer().countdownWindow == nullptr);
        CHECK(fileExists(w.dir + "\\tarnel_p.dwg"));
        CHECK(acDocManagerPtr()->documentCount() == 0);
    }
}
