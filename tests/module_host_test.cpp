// tarnel15.arx loaded by the stand-in host as a user's host would load it.
#include <doctest.h>
#include "textchecks.h"
#include <algorithm>
#include "journalrows.h"
#include "settings/settingsformat.h"
#include "cadhost.h"
#include "modulefixture.h"
#include "testkit.h"

using namespace testkit;

namespace {

const std::string kProductKey = std::string(cadhost::kProductKey) + "\\Tarnel";

// A folder holding a copy of the module (and, unless told, its resource
// library), and the core (from bin\\core; none when core is empty).
std::string installModule(const std::string& name, bool withResources = true,
                          const std::string& core = "TarnelCore.dll") {
    std::string dir = freshDir(name);
    CopyFileA((binDir() + "\\tarnel15.arx").c_str(), (dir + "\\tarnel15.arx").c_str(), FALSE);
    if (withResources)
        CopyFileA((binDir() + "\\TarnelRes.dll").c_str(), (dir + "\\TarnelRes.dll").c_str(), FALSE);
    if (!core.empty())
        CopyFileA((binDir() + "\\" + core).c_str(), (dir + "\\TarnelCore.dll").c_str(), FALSE);
    return dir;
}

std::string hostCommand(const std::string& dir, const std::string& args) {
    return "\"" + binDir() + "\\cadhost.exe\" /transcript \"" + dir + "\\transcript.txt\" " + args;
}

int indexOf(const std::vector<std::string>& ls, const std::string& line) {
    auto it = std::find(ls.begin(), ls.end(), line);
    return it == ls.end() ? -1 : (int)(it - ls.begin());
}

std::string registryMessage() {
    return registryString(kProductKey, "Message");
}

void deleteRegistryMessage() {
    deleteRegistryValue(kProductKey, "Message");
    // Log faults an earlier test left are shown in the same box, and so
    // would be its seats' spooled records for folders that are gone.
    deleteRegistryValue(kProductKey, "LogFault");
    modtest::emptySpool();
}

// tarnel.cfg beside the module with these plain lines, scrambled.
void writeSettings(const std::string& dir, const std::vector<std::string>& plain) {
    std::string cfg;
    for (std::string l : plain) {
        settingsformat::scramble(l);
        cfg += l + "\r\n";
    }
    writeFile(dir + "\\tarnel.cfg", cfg);
}

HWND waitForDialog(const char* caption, Process& p, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (HWND h = findWindowOf(p.id(), "#32770", caption)) return h;
        if (p.wait(0)) return nullptr;
        Sleep(50);
    }
    return nullptr;
}

} // namespace

TEST_CASE("the module loads, locks itself in, and writes its settings when the host ends") {
    std::string dir = installModule("module-load");
    deleteRegistryMessage();
    writeFile(dir + "\\run.scr", "ARXUNLOAD tarnel15.arx\ntarnel_opt\nQUIT\n");
    Process host(hostCommand(dir, "/timeout 30 /ld \"" + dir + "\\tarnel15.arx\" /b run.scr"), dir);
    REQUIRE(host.started());
    // The options dialog from the resource library beside the module.
    HWND options = waitForDialog("Tarnel options", host, 20000);
    REQUIRE(options != nullptr);
    CHECK(GetDlgItem(options, 1014) != nullptr);
    PostMessageA(options, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    REQUIRE(host.wait(30000));
    CHECK(host.exitCode() == 0);
    std::vector<std::string> t = lines(readFile(dir + "\\transcript.txt"));
    int init = indexOf(t, "message kInitAppMsg to tarnel15.arx");
    REQUIRE(init >= 0);
    CHECK(indexOf(t, "module tarnel15.arx is MDI-aware") > init);
    CHECK(indexOf(t, "command registered TARNEL_OPT in Tarnel_Commands") > init);
    CHECK(indexOf(t, "module tarnel15.arx locked") > init);
    CHECK(indexOf(t, "module unload refused tarnel15.arx (locked)") > init);
    CHECK(indexOf(t, "command TARNEL_OPT") > init);
    int unload = indexOf(t, "message kUnloadAppMsg to tarnel15.arx");
    REQUIRE(unload > indexOf(t, "main window closed"));
    CHECK(indexOf(t, "command group removed Tarnel_Commands") == unload + 1);
    CHECK(indexOf(t, "module unloaded tarnel15.arx") > unload);
    std::string cfg = readFile(dir + "\\tarnel.cfg");
    CHECK(lines(cfg).size() == 9);
    CHECK_LACKS(cfg, "TimeInactivity");
    CHECK(registryMessage() == "(none)");
}

TEST_CASE("without its resource library the module does not load at all") {
    std::string dir = installModule("module-nores", false);
    deleteRegistryMessage();
    writeFile(dir + "\\run.scr", "APPLOAD " + dir + "\\tarnel15.arx\nNEW\nQUIT\n");
    CHECK(run(hostCommand(dir, "/timeout 30 /b run.scr"), 60000, dir.c_str()) == 0);
    std::string t = readFile(dir + "\\transcript.txt");
    CHECK_CONTAINS(t, "module refused " + dir + "\\tarnel15.arx (library did not load");
    CHECK_LACKS(t, "to tarnel15.arx"); // no message reached it
    CHECK_CONTAINS(t, "document created Drawing1.dwg");
    CHECK_FALSE(fileExists(dir + "\\tarnel.cfg"));
}

TEST_CASE("without its core, or with a core of another port version, the module does not load "
          "and says which file and why") {
    const struct {
        const char* name;
        const char* core;
        const char* why;
    } cases[] = {
        {"module-nocore", "", "could not be loaded (error 126): install Tarnel again."},
        {"module-othercore", "othercore\\TarnelCore.dll",
         "is built for port version 2, and this one for version 1: install both from one "
         "package."},
    };
    for (const auto& c : cases) {
        CAPTURE(c.name);
        std::string dir = installModule(c.name, true, c.core);
        deleteRegistryMessage();
        writeFile(dir + "\\run.scr", "APPLOAD " + dir + "\\tarnel15.arx\nNEW\nQUIT\n");
        CHECK(run(hostCommand(dir, "/timeout 30 /b run.scr"), 60000, dir.c_str()) == 0);
        std::string t = readFile(dir + "\\transcript.txt");
        const std::string said = "print Tarnel: " + dir + "\\TarnelCore.dll " + c.why;
        CAPTURE(said);
        CHECK(indexOf(lines(t), said) >= 0);
        CHECK_CONTAINS(t, "print Unable to load " + dir + "\\tarnel15.arx: its initialisation failed.");
        CHECK_LACKS(t, "command registered TARNEL_OPT");
        CHECK_CONTAINS(t, "document created Drawing1.dwg");
        CHECK_LACKS(t, "fault");
        CHECK_FALSE(fileExists(dir + "\\tarnel.cfg"));
    }
}

// The two tests that wait through a real minute: the idle watch on the real
// timer closes the host, and the next start tells the user what happened.
TEST_CASE("an idle host is closed after a minute and the next start reports it") {
    std::string dir = installModule("module-expiry");
    deleteRegistryMessage();
    // One minute, ten seconds of countdown, copies beside the drawings.
    writeFile(dir + "\\a.dwg", "CADHOST DRAWING 1\r\n");
    writeFile(dir + "\\b.dwg", "CADHOST DRAWING 1\r\n");
    writeFile(dir + "\\run.scr", "LINE 0,0 4,4\n@idle 200\nQUIT\n");
    writeFile(dir + "\\settings.scr", "");
    {
        // First start without a settings file: defaults, then the file is
        // written at unload; here the settings come from a first short run.
        Process p(hostCommand(dir, "/timeout 20 /ld \"" + dir + "\\tarnel15.arx\" /b settings.scr"),
                  dir);
        REQUIRE(p.started());
        HWND main = nullptr;
        for (int i = 0; i < 100 && !main; ++i, Sleep(50))
            main = findWindowOf(p.id(), "CadHostFrame");
        REQUIRE(main);
        PostMessageA(main, WM_CLOSE, 0, 0);
        REQUIRE(p.wait(20000));
        CHECK(p.exitCode() == 0);
    }
    REQUIRE(fileExists(dir + "\\tarnel.cfg"));
    // Rewrite the settings with one minute and ten seconds.
    CreateDirectoryA((dir + "\\cmdlog").c_str(), nullptr);
    writeSettings(dir, {"TimeInactivity:1", "TimeCountdown:10", "Action:2", "EnableLogging:1",
                        "LogfilenameType:0", "Logfilepath:" + dir + "\\cmdlog"});
    DeleteFileA((dir + "\\transcript.txt").c_str());

    DWORD started = GetTickCount();
    Process host(
        hostCommand(dir, "/timeout 150 /ld \"" + dir + "\\tarnel15.arx\" /b run.scr a.dwg b.dwg"),
        dir);
    REQUIRE(host.started());
    HWND countdown = waitForDialog("Tarnel - AutoCAD is about to close", host, 90000);
    REQUIRE(countdown != nullptr);
    DWORD shownAfter = GetTickCount() - started;
    char text[256] = {};
    GetDlgItemTextA(countdown, 1012, text, sizeof text);
    CHECK_CONTAINS(std::string(text), "Seconds left: ");
    REQUIRE(host.wait(60000));
    CHECK(host.exitCode() == 0);
    DWORD endedAfter = GetTickCount() - started;
    CHECK(shownAfter >= 45000);
    CHECK(endedAfter >= 55000);
    CHECK(endedAfter < 90000);

    std::vector<std::string> t = lines(readFile(dir + "\\transcript.txt"));
    CHECK(linesStarting(readFile(dir + "\\transcript.txt"), "fault").empty());
    int closed = indexOf(t, "main window closed");
    REQUIRE(closed >= 0);
    CHECK(indexOf(t, "idle over") < 0);
    CHECK(indexOf(t, "application context") >= 0);
    CHECK(indexOf(t, "document saved " + dir + "\\tarnel_a.dwg") >= 0);
    CHECK(indexOf(t, "document saved " + dir + "\\tarnel_b.dwg") >= 0);
    CHECK(readFile(dir + "\\tarnel_b.dwg") == "CADHOST DRAWING 1\r\nLINE 0,0 4,4\r\n");
    CHECK(readFile(dir + "\\b.dwg") == "CADHOST DRAWING 1\r\n");
    std::vector<std::string> log = lines(readFile(dir + "\\tarnel.log"));
    REQUIRE(log.size() == 8);
    CHECK(log[2] == "Save to other dwg.  Status: 1 ");
    std::string commands = readFile(dir + "\\cmdlog\\tarnel.log");
    CHECK_CONTAINS(commands, "Command LINE\tStarted ");
    std::string message = registryMessage();
    CHECK(message.find("Your last session was saved to " + dir + "\\tarnel_") == 0);

    // Next start: the message once, in a box over the host.
    DeleteFileA((dir + "\\transcript.txt").c_str());
    writeFile(dir + "\\quit.scr", "QUIT\n");
    Process again(hostCommand(dir, "/timeout 30 /ld \"" + dir + "\\tarnel15.arx\" /b quit.scr"),
                  dir);
    HWND box = waitForDialog("Tarnel - last session", again, 20000);
    REQUIRE(box != nullptr);
    char shown[2048] = {};
    GetDlgItemTextA(box, 0xFFFF, shown, sizeof shown);
    CHECK(std::string(shown) == message);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    REQUIRE(again.wait(30000));
    CHECK(again.exitCode() == 0);
    CHECK(registryMessage() == "(none)");
}

// The second real minute: a seat left at a LINE prompt, with CancelWaiting,
// after half a minute of a script that pauses (a script runs: work).
TEST_CASE("a host left at a prompt is closed after a minute with the command cancelled first") {
    std::string dir = installModule("module-waiting");
    deleteRegistryMessage();
    writeFile(dir + "\\a.dwg", "CADHOST DRAWING 1\r\n");
    writeFile(dir + "\\run.scr", "LINE 0,0 4,4\nDELAY 30000\nLINE\n1,1\n2,2\n@idle 200\nQUIT\n");
    writeSettings(dir, {"TimeInactivity:1", "TimeCountdown:10", "Action:1", "CancelWaiting:1"});
    DWORD started = GetTickCount();
    Process host(
        hostCommand(dir, "/timeout 150 /ld \"" + dir + "\\tarnel15.arx\" /b run.scr a.dwg"), dir);
    REQUIRE(host.started());
    REQUIRE(host.wait(150000));
    CHECK(host.exitCode() == 0);
    DWORD endedAfter = GetTickCount() - started;
    CHECK(endedAfter >= 85000); // the script's half minute was not counted
    CHECK(endedAfter < 120000);
    const std::string transcript = readFile(dir + "\\transcript.txt");
    CHECK(linesStarting(transcript, "fault").empty());
    std::vector<std::string> t = lines(transcript);
    const int sent = indexOf(t, "string to execute ^C^C");
    const int cancelled = indexOf(t, "notify commandCancelled LINE");
    const int saved = indexOf(t, "document saved " + dir + "\\a.dwg");
    CHECK(sent >= 0);
    CHECK(cancelled > sent);
    CHECK(saved > cancelled);
    CHECK(indexOf(t, "main window closed") > saved);
    // The cancel keeps the segment drawn, as the host does.
    CHECK(readFile(dir + "\\a.dwg") == "CADHOST DRAWING 1\r\nLINE 0,0 4,4\r\nLINE 1,1 2,2\r\n");
    std::vector<std::string> log = lines(readFile(dir + "\\tarnel.log"));
    REQUIRE(log.size() == 7);
    CHECK(log[1] == "  Cancelled before the close: the command LINE in " + dir + "\\a.dwg ");
    CHECK(log[5] == "Save to current dwg.  Status: 1 ");
    const std::string message = registryMessage();
    const std::string sentence =
        " Before closing, Tarnel cancelled the command LINE in " + dir + "\\a.dwg.";
    REQUIRE(message.size() > sentence.size());
    CHECK(message.substr(message.size() - sentence.size()) == sentence);
    deleteRegistryMessage();
}

// Two real minutes and more: licences free at the end of the idle time, so
// the seat stays open; none free at the recheck a minute later, so the
// countdown comes then and the host closes. The status tool is the one
// beside the module, as a seat finds it without LicenseTool.
TEST_CASE("a seat kept open while licences are free closes at the recheck that finds none") {
    std::string dir = installModule("module-license");
    deleteRegistryMessage();
    REQUIRE(CopyFileA((binDir() + "\\lmutil.exe").c_str(), (dir + "\\lmutil.exe").c_str(), FALSE));
    const std::string usersOf = "print\r\nUsers of ACD_2002:  (Total of 4 licenses issued;  Total of ";
    writeFile(dir + "\\lmutil-answer.txt", usersOf + "1 license in use)\r\n");
    writeFile(dir + "\\a.dwg", "CADHOST DRAWING 1\r\n");
    writeFile(dir + "\\run.scr", "LINE 0,0 4,4\n@idle 300\nQUIT\n");
    const std::string journalDir = dir + "\\journal";
    REQUIRE(CreateDirectoryA(journalDir.c_str(), nullptr));
    writeSettings(dir, {"TimeInactivity:1", "TimeCountdown:10", "Action:1", "EnableLogging:0",
                        "Journalpath:" + journalDir, "LicenseServer:27005@lic1",
                        "LicenseFeature:ACD_2002", "LicenseRecheck:1"});
    const std::string journal = journalDir + "\\" + journalComputer() + ".csv";
    const DWORD started = GetTickCount();
    Process host(
        hostCommand(dir, "/timeout 240 /ld \"" + dir + "\\tarnel15.arx\" /b run.scr a.dwg"), dir);
    REQUIRE(host.started());
    // The first answer: kept, no countdown.
    bool kept = false;
    for (DWORD waited = 0; waited < 100000 && !kept && !host.wait(0); waited += 250, Sleep(250))
        kept = readFile(journal).find(",kept,") != std::string::npos;
    REQUIRE(kept);
    const DWORD keptAfter = GetTickCount() - started;
    CHECK(keptAfter >= 60000);
    CHECK(findWindowOf(host.id(), "#32770", "Tarnel - AutoCAD is about to close") == nullptr);
    writeFile(dir + "\\lmutil-answer.txt", usersOf + "4 licenses in use)\r\n");
    REQUIRE(host.wait(150000));
    CHECK(host.exitCode() == 0);
    const DWORD endedAfter = GetTickCount() - started;
    CHECK(endedAfter >= 130000); // the idle time, the recheck and the countdown
    CHECK(endedAfter < 200000);
    const std::string transcript = readFile(dir + "\\transcript.txt");
    CHECK(linesStarting(transcript, "fault").empty());
    CHECK(indexOf(lines(transcript), "document saved " + dir + "\\a.dwg") >= 0);
    CHECK(readFile(dir + "\\lmutil-args.txt") ==
          "\"" + dir + "\\lmutil.exe\" \"lmstat\" \"-c\" \"27005@lic1\" \"-f\" \"ACD_2002\" "
          "\"-t\" \"10\"");
    std::vector<std::string> events;
    for (const std::string& l : lines(readFile(journal))) {
        std::vector<std::string> f;
        if (!splitCsvLine(l, f) || f.size() != 10 || f[4] == "event") continue;
        events.push_back(f[4] + "|" + f[9]);
    }
    REQUIRE(events.size() >= 6);
    CHECK(events[1] == "kept|3 of 4 licences free");
    CHECK(events[2] == "countdown|0 of 4 licences free");
    CHECK(events[3] == "expired|1 drawings");
    CHECK(events[4] == "closed|" + dir + "\\a.dwg");
    CHECK(events[5] == "host-closed|");
    deleteRegistryMessage();
}
