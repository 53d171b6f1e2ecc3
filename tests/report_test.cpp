// The session report: the blocks of the report log and the registry
// message, with built-in texts and with files and keys that fail.
#include <doctest.h>
#include "acdocman.h"
#include "common/faultpoint.h"
#include "idle/closeaction.h"
#include "modulefixture.h"
#include "resources/resource.h"
#include "shell/guardapp.h"

using namespace testkit;
using namespace modtest;

TEST_CASE("the report log only grows") {
    Module m;
    Workspace w("report-grows");
    writeFile(w.dir + "\\tarnel.log", "earlier run\r\n");
    m.start({{"Action", "0"}});
    w.open("g.dwg");
    runCloseAction(nullptr);
    std::string log = readFile(w.dir + "\\tarnel.log");
    CHECK(log.rfind("earlier run\r\n", 0) == 0);
    CHECK(lines(log).size() == 4);
}

TEST_CASE("a report log that cannot be written leaves no message; a lost key keeps the block") {
    Module m;
    Workspace w("report-faults");
    m.start({{"Action", "0"}});
    for (const char* call : {"CreateFileA", "SetFilePointerEx", "WriteFile"}) {
        CAPTURE(call);
        {
            faultpoint::Scope fault([call](const char* c) { return std::string(c) == call; });
            guardApp()->writeSessionReport("", QuitWithoutSaving, 1);
        }
        CHECK(registryMessage() == "(none)");
        CHECK(readFile(w.dir + "\\tarnel.log").empty()); // nothing, not even a part
    }
    for (const char* call : {"RegCreateKeyExA", "RegSetValueExA"}) {
        CAPTURE(call);
        DeleteFileA((w.dir + "\\tarnel.log").c_str());
        {
            faultpoint::Scope fault([call](const char* c) { return std::string(c) == call; });
            guardApp()->writeSessionReport("", QuitWithoutSaving, 1);
        }
        CHECK(registryMessage() == "(none)");
        CHECK(lines(readFile(w.dir + "\\tarnel.log")).size() == 3);
    }
}

TEST_CASE("built-in texts stand in for missing string-table entries") {
    Module m;
    Workspace w("report-builtin");
    m.start({{"TimeInactivity", "1"}, {"TimeCountdown", "10"}, {"Action", "2"}});
    w.open("p.dwg");

    {
        ResourcesOutOfReach away(false);
        ticks(51);
        CHECK(controlText(countdownHwnd(), IDC_COUNTDOWN_TEXT) ==
              "Tarnel application will close AutoCAD.\nSeconds: 9");
        ticks(9);
    }
    std::string log = readFile(w.dir + "\\tarnel.log");
    std::vector<std::string> l = lines(log);
    REQUIRE(l.size() == 4);
    CHECK(log == l[0] + "\r\n  Drawing: " + w.dir + "\\tarnel_p.dwg \r\n" +
                     "Save to other dwg.  Status: 1 \r\n" + std::string(59, '=') + "\r\n");
    CHECK(modtest::registryMessage() ==
          "Your last session was saved to " + w.dir + "\\tarnel_p.dwg " + l[0] + " with status 1.");
}
