// The stand-in host run as a program, with the probe module recording what
// reaches a module: messages, notifications, documents, saves and locks.
#include <doctest.h>
#include "textchecks.h"
#include <algorithm>
#include "testkit.h"

using namespace testkit;

namespace {

struct HostRun {
    std::string dir;
    std::string transcript;
    int exitCode;
    std::vector<std::string> probe() const { return linesStarting(transcript, "probe "); }
};

std::string drawing(const std::string& entities = "") {
    return "CADHOST DRAWING 1\r\n" + entities;
}

HostRun runHost(const std::string& name, const std::string& script, const std::string& extra = "") {
    HostRun r;
    r.dir = freshDir(name);
    writeFile(r.dir + "\\run.scr", script);
    std::string cmd = "\"" + binDir() + "\\cadhost.exe\" /transcript \"" + r.dir +
                      "\\transcript.txt\" /timeout 30 /ld \"" + binDir() + "\\probe.arx\" /b \"" +
                      r.dir + "\\run.scr\" " + extra;
    r.exitCode = run(cmd, 60000, r.dir.c_str());
    r.transcript = readFile(r.dir + "\\transcript.txt");
    CAPTURE(name);
    CHECK(r.exitCode == 0); // every run ends as a host should
    return r;
}

// Position of the first line equal to line, or -1.
int indexOf(const std::vector<std::string>& ls, const std::string& line) {
    for (size_t i = 0; i < ls.size(); ++i)
        if (ls[i] == line) return (int)i;
    return -1;
}

} // namespace

TEST_CASE("a module gets init, a load per drawing, and unload when the host ends") {
    HostRun r = runHost("host-protocol", "NEW\nNEW\nQUIT\n");
    CHECK(r.exitCode == 0);
    std::vector<std::string> all = lines(r.transcript);
    int loaded = indexOf(all, "module loaded probe.arx");
    int init = indexOf(all, "probe message 1");
    REQUIRE(loaded >= 0);
    CHECK(init == loaded + 2); // "message kInitAppMsg to probe.arx" stands between
    std::vector<std::string> p = r.probe();
    CHECK(std::count(p.begin(), p.end(), "probe message 3") == 2);
    int closed = indexOf(all, "main window closed");
    int unload = indexOf(all, "probe message 2");
    CHECK(closed >= 0);
    CHECK(unload > closed);
    CHECK(indexOf(all, "module unloaded probe.arx") > unload);
    CHECK(all.back() == "host ended");
}

TEST_CASE("editor notifications arrive in the host's order") {
    HostRun r =
        runHost("host-notify", "NEW\n"
                               "LINE 0,0 1,1\n"
                               "ZOOM\n"
                               "LINE 0,0 'ZOOM 1,1\n"
                               "CIRCLE 0,0 ^C\n"
                               "OPEN nowhere.dwg\n"
                               "FROBNICATE\n"
                               "(command \"LINE\" \"0,0\" \"1,1\" \"\") (command \"ERASE\")\n"
                               "(command \"LINE\" ^C)\n"
                               "QUIT\n");
    std::vector<std::string> expected = {"probe message 1",
                                         "probe commandWillStart NEW",
                                         "probe message 3",
                                         "probe commandEnded NEW",
                                         "probe commandWillStart LINE",
                                         "probe commandEnded LINE",
                                         "probe commandWillStart ZOOM",
                                         "probe commandEnded ZOOM",
                                         "probe commandWillStart LINE",
                                         "probe commandWillStart ZOOM",
                                         "probe commandEnded ZOOM",
                                         "probe commandEnded LINE",
                                         "probe commandWillStart CIRCLE",
                                         "probe commandCancelled CIRCLE",
                                         "probe commandWillStart OPEN",
                                         "probe commandFailed OPEN",
                                         "probe unknownCommand FROBNICATE",
                                         "probe lispWillStart",
                                         "probe commandWillStart LINE",
                                         "probe commandEnded LINE",
                                         "probe commandWillStart ERASE",
                                         "probe commandEnded ERASE",
                                         "probe lispEnded",
                                         "probe lispWillStart",
                                         "probe commandWillStart LINE",
                                         "probe commandCancelled LINE",
                                         "probe lispCancelled",
                                         "probe commandWillStart QUIT",
                                         "probe commandEnded QUIT"};
    std::vector<std::string> p = r.probe();
    REQUIRE(p.size() >= expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        CHECK(p[i] == expected[i]);
    CHECK_CONTAINS(r.transcript, "print Unknown command \"FROBNICATE\".");
}

TEST_CASE("a running script keeps its drawing busy between its lines") {
    HostRun r = runHost("host-scriptbusy", "NEW\nZOOM\nPAN\n@idle 1\nQUIT\n");
    CHECK_CONTAINS(r.transcript, "quiet after ZOOM 0");
    CHECK_CONTAINS(r.transcript, "quiet after PAN 0");
    CHECK_LACKS(r.transcript, "quiet after ZOOM 1");
}

TEST_CASE("CMDACTIVE shows a LISP evaluation only inside a module's command") {
    HostRun r = runHost("host-lispbit", "NEW\nPROBEBITS\n(command \"PROBEBITS\")\nQUIT\n");
    const std::vector<std::string> p = r.probe();
    std::vector<std::string> inside;
    for (const std::string& l : p)
        if (l.rfind("probe bits inside ", 0) == 0) inside.push_back(l);
    REQUIRE(inside.size() == 2);
    CHECK(inside[0] == "probe bits inside 69");  // command, script, module command
    CHECK(inside[1] == "probe bits inside 101"); // and the evaluation
}

TEST_CASE("a script ends at its last line, also when that line left a command waiting") {
    SetEnvironmentVariableA("PROBE_CANCEL", "1");
    HostRun r = runHost("host-scriptend", "NEW\nLINE 0,0 3,3\nLINE\n", "/timeout 3");
    SetEnvironmentVariableA("PROBE_CANCEL", nullptr);
    const std::vector<std::string> p = r.probe();
    CHECK(indexOf(p, "probe state 1 LINE") >= 0); // no script bit: LINE waits for the user
    CHECK(indexOf(p, "probe commandCancelled LINE") >= 0);
    CHECK_CONTAINS(r.transcript, "script ended");
}

TEST_CASE("a script line of any length runs whole") {
    std::string line;
    for (int i = 0; i < 400; ++i)
        line += "(command \"ZOOM\") "; // 6,800 characters
    HostRun r = runHost("host-longline", "NEW\n" + line + "\nQUIT\n");
    const std::vector<std::string> p = r.probe();
    CHECK(std::count(p.begin(), p.end(), "probe commandEnded ZOOM") == 400);
    CHECK_LACKS(r.transcript, "Unknown command");
}

TEST_CASE("documents: iteration while closing, DBMOD through push, save and pop") {
    std::string dir = freshDir("host-docs-input");
    writeFile(dir + "\\a.dwg", drawing("LINE 0,0 1,1\r\n"));
    writeFile(dir + "\\b.dwg", drawing());
    writeFile(dir + "\\c.dwg", drawing());

    SUBCASE("closing each drawing while iterating visits all of them") {
        HostRun r = runHost("host-iterate", "PROBECONTEXT\nPROBECLOSEALL\nQUIT\n",
                            "\"" + dir + "\\a.dwg\" \"" + dir + "\\b.dwg\" \"" + dir + "\\c.dwg\"");
        std::vector<std::string> p = r.probe();
        CHECK(indexOf(p, "probe context 0") >= 0);
        CHECK(indexOf(p, "probe context 1") >= 0);
        CHECK(indexOf(p, "probe closed 3 left 0") >= 0);
        CHECK(std::count_if(p.begin(), p.end(), [](const std::string& l) {
                  return l.rfind("probe documentToBeDestroyed", 0) == 0;
              }) == 3);
    }
    SUBCASE("a save clears DBMOD and pop brings it back") {
        HostRun r =
            runHost("host-dbmod", "LINE 2,2 3,3\nPROBEDBMOD\nQUIT\n", "\"" + dir + "\\b.dwg\"");
        std::vector<std::string> p = r.probe();
        CHECK(indexOf(p, "probe dbmod before 1") >= 0);
        CHECK(indexOf(p, "probe saved 0 dbmod 0") >= 0);
        CHECK(indexOf(p, "probe dbmod after pop 1") >= 0);
        CHECK(readFile(dir + "\\b.dwg") == drawing("LINE 2,2 3,3\r\n"));
        CHECK_CONTAINS(r.transcript, "document closed " + dir + "\\b.dwg (changes discarded)");
    }
    SUBCASE("saveAs reports a missing folder and a file another program holds") {
        writeFile(dir + "\\held.dwg", drawing());
        HANDLE held = CreateFileA((dir + "\\held.dwg").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        REQUIRE(held != INVALID_HANDLE_VALUE);
        HostRun r = runHost("host-savefail", "NEW\nPROBESAVEFAIL\nLINE 1,1 2,2\nSAVEAS " + dir +
                                                 "\\held.dwg\nQUIT\n");
        CloseHandle(held);
        std::vector<std::string> p = r.probe();
        CHECK(indexOf(p, "probe saveAs missing folder 45") >= 0);
        CHECK(indexOf(p, "probe busy 1") >= 0);
        CHECK(indexOf(p, "probe commandFailed SAVEAS") >= 0);
        CHECK_CONTAINS(r.transcript, "document save failed " + dir + "\\held.dwg status 47");
        CHECK(readFile(dir + "\\held.dwg") == drawing());
    }
}

TEST_CASE("a locked module cannot be unloaded on request") {
    HostRun r = runHost("host-lock",
                        "PROBELOCK\nARXUNLOAD probe.arx\nPROBEUNLOCK\nARXUNLOAD probe.arx\nQUIT\n");
    std::vector<std::string> all = lines(r.transcript);
    int refused = indexOf(all, "module unload refused probe.arx (locked)");
    int unloaded = indexOf(all, "module unloaded probe.arx");
    CHECK(refused >= 0);
    CHECK(unloaded > refused);
    CHECK(indexOf(all, "probe message 2") == unloaded - 2);
    CHECK_CONTAINS(r.transcript, "print Unable to unload probe.arx: the module is locked.");
}

TEST_CASE("libraries that are not modules are refused and the host goes on") {
    HostRun r = runHost("host-refuse",
                        "APPLOAD " + binDir() + "\\noentry.dll\nAPPLOAD missing.arx\nNEW\nQUIT\n");
    CHECK_CONTAINS(r.transcript, "(it has no acrxEntryPoint)");
    CHECK_CONTAINS(r.transcript, "module refused");
    CHECK_CONTAINS(r.transcript, "(library did not load, error 126)");
    CHECK_CONTAINS(r.transcript, "document created Drawing1.dwg");
    CHECK(r.exitCode == 0);
}

TEST_CASE("WM_CLOSE to the main window ends the host as if the user closed it") {
    std::string dir = freshDir("host-wmclose");
    writeFile(dir + "\\idle.scr", "NEW\nLINE 0,0 5,5\n@idle 30\nQUIT\n");
    std::string cmd = "\"" + binDir() + "\\cadhost.exe\" /transcript \"" + dir +
                      "\\transcript.txt\" /ld \"" + binDir() + "\\probe.arx\" /b \"" + dir +
                      "\\idle.scr\"";
    Process host(cmd, dir);
    REQUIRE(host.started());
    // Wait until the script sits idle, then close the window from outside.
    HWND main = nullptr;
    for (int i = 0; i < 200 && !main; ++i) {
        Sleep(50);
        if (readFile(dir + "\\transcript.txt").find("idle 30 s") != std::string::npos)
            main = findWindowOf(host.id(), "CadHostFrame");
    }
    REQUIRE(main != nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    REQUIRE(host.wait(20000));
    CHECK(host.exitCode() == 0);
    std::vector<std::string> all = lines(readFile(dir + "\\transcript.txt"));
    int closed = indexOf(all, "main window closed");
    REQUIRE(closed >= 0);
    CHECK(indexOf(all, "document closed Drawing1.dwg (changes discarded)") > closed);
    CHECK(indexOf(all, "probe message 2") > closed);
    CHECK(indexOf(all, "idle over") < 0);
}

TEST_CASE("a script edits two drawings and saves them") {
    std::string dir = freshDir("host-script");
    writeFile(dir + "\\one.dwg", drawing("LINE 0,0 1,1\r\n"));
    writeFile(dir + "\\two.dwg", drawing());
    std::string script = "CIRCLE 5,5 2\nSAVE\nSAVEAS copy.dwg\nERASE\nSAVE\nCLOSE\n"
                         "LINE 1,1 9,9\nSAVE\nQUIT\n";
    HostRun r =
        runHost("host-script-run", script, "\"" + dir + "\\one.dwg\" \"" + dir + "\\two.dwg\"");
    // two.dwg opened last is current and gets every edit; one.dwg becomes
    // current after CLOSE.
    CHECK(readFile(dir + "\\two.dwg") == drawing("CIRCLE 5,5 2\r\n"));
    CHECK(readFile(r.dir + "\\copy.dwg") == drawing());
    CHECK(readFile(dir + "\\one.dwg") == drawing("LINE 0,0 1,1\r\nLINE 1,1 9,9\r\n"));
    CHECK_CONTAINS(r.transcript, "document closed " + r.dir + "\\copy.dwg");
    CHECK(r.exitCode == 0);
}

TEST_CASE("LINE typed without points asks for them; script lines answer, a blank line ends it") {
    HostRun r = runHost("host-prompts", "NEW\nLINE\n0,0\n5,5\n7,1\n\nSAVEAS line.dwg\nQUIT\n");
    CHECK(readFile(r.dir + "\\line.dwg") == drawing("LINE 0,0 5,5 7,1\r\n"));
    std::vector<std::string> all = lines(r.transcript);
    int first = indexOf(all, "prompt Specify first point:");
    CHECK(first >= 0);
    CHECK(std::count(all.begin(), all.end(), "prompt Specify next point or [Undo]:") == 3);
    CHECK(indexOf(all, "probe commandEnded LINE") > first);
}

// The probe's timer stands for a module that finds the host waiting while
// no script line runs: it notes CMDACTIVE and CMDNAMES, cancels the host's
// dialog with its Cancel button and sends two ^C to execute.
TEST_CASE("what waits shows in CMDACTIVE and CMDNAMES, and a sent ^C or Cancel ends it") {
    SetEnvironmentVariableA("PROBE_CANCEL", "1");
    HostRun r = runHost("host-waiting", "NEW\n"
                                        "LINE\n1,1\n@idle 1\n"
                                        "(getpoint)\n@idle 1\n"
                                        "LINE\n'CAL\n@idle 1\n"
                                        "DDOPTIONS\n@idle 1\n"
                                        "REGEN 800\n"
                                        "QUIT\n");
    SetEnvironmentVariableA("PROBE_CANCEL", nullptr);
    std::vector<std::string> expected = {"probe state 1 LINE",
                                         "probe send cancel 0",
                                         "probe commandCancelled LINE",
                                         "probe lispWillStart",
                                         "probe state 0 ",
                                         "probe send cancel 0",
                                         "probe lispCancelled",
                                         "probe commandWillStart LINE",
                                         "probe commandWillStart CAL",
                                         "probe state 3 LINE'CAL",
                                         "probe send cancel 0",
                                         "probe commandCancelled CAL",
                                         "probe commandCancelled LINE",
                                         "probe commandWillStart DDOPTIONS",
                                         "probe state 9 DDOPTIONS",
                                         "probe dialog Options, main window enabled 0",
                                         "probe send cancel 0",
                                         "probe commandCancelled DDOPTIONS",
                                         "probe commandWillStart REGEN",
                                         "probe commandEnded REGEN"};
    std::vector<std::string> p = r.probe();
    auto from = std::find(p.begin(), p.end(), "probe state 1 LINE");
    REQUIRE(from != p.end());
    std::vector<std::string> seen(from, p.end());
    REQUIRE(seen.size() >= expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        CHECK(seen[i] == expected[i]);
    // The first segment's point stays without a second one: nothing drawn.
    CHECK_CONTAINS(r.transcript, "prompt Specify next point or [Undo]:");
    CHECK_CONTAINS(r.transcript, "prompt >> Expression:");
    CHECK_CONTAINS(r.transcript, "string to execute ^C^C");
    // A working command: the processor busy most of its time, and the
    // timer's ticks still coming through its message handling.
    std::vector<std::string> regen = linesStarting(r.transcript, "probe regen took long, cpu ");
    REQUIRE(regen.size() == 1);
    const int percent =
        std::atoi(regen[0].c_str() + std::string("probe regen took long, cpu ").size());
    CHECK(percent >= 70);
    const int ticks = std::atoi(regen[0].c_str() + regen[0].find("%, ") + 3);
    CHECK(ticks >= 4);
}
