// The session report: the blocks of the report log and the registry
// message, with built-in texts and with files and keys that fail.
#include <doctest.h>
#include "textchecks.h"
#include "acdocman.h"
#include "cmdlog/logwriter.h"
#include "common/errortext.h"
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
    std::string log = reportLog(w.dir);
    CHECK_STARTS(log, "earlier run\r\n");
    CHECK(lines(log).size() == 4);
}

TEST_CASE("a report log that cannot be written: the block goes to the temporary folder's, or "
          "waits until it can be written; the host never waits and nothing is lost") {
    Module m;
    Workspace w("report-faults");
    m.start({{"Action", "0"}});
    const std::string work = w.dir + "\\tarnel.log", temp = w.temp + "\\tarnel.log";
    auto reset = [&] {
        REQUIRE(waitLogWritten(5000));
        DeleteFileA(work.c_str());
        RemoveDirectoryA(work.c_str());
        DeleteFileA(temp.c_str());
        deleteRegistryMessage();
    };
    auto check = [&](size_t workLines, size_t tempLines) {
        CHECK(waitLogWritten(5000));
        CHECK(lines(readFile(work)).size() == workLines); // nothing, not even a part
        CHECK(lines(readFile(temp)).size() == tempLines);
        // The next start tells the user whatever became of the block.
        CHECK_STARTS(registryMessage(), "Your last session was aborted ");
    };
    // Once: an open that fails sends the block to the temporary folder's at
    // once; a write that fails keeps it for the next try of the same file.
    const struct {
        const char* call;
        size_t work, temp;
    } once[] = {{"CreateFileA", 0, 3},
                {"GetFileSizeEx", 3, 0},
                {"SetFilePointerEx", 3, 0},
                {"WriteFile", 3, 0}};
    for (const auto& o : once) {
        CAPTURE(o.call);
        reset();
        {
            int seen = 0;
            faultpoint::Scope fault(
                [&o, &seen](const char* c) { return std::string(c) == o.call && ++seen == 1; });
            guardApp()->writeSessionReport("", QuitWithoutSaving, 1);
            CHECK(waitLogWritten(5000));
        }
        check(o.work, o.temp);
    }
    SUBCASE("no file can be had: the block waits, and is written once one can") {
        reset();
        {
            faultpoint::Scope fault([](const char* c) { return std::string(c) == "CreateFileA"; });
            guardApp()->writeSessionReport("", QuitWithoutSaving, 1);
            CHECK_FALSE(waitLogWritten(3 * kLogRetryMs));
            CHECK(keptLogRecords() == 1);
            CHECK_FALSE(fileExists(work));
            CHECK_FALSE(fileExists(temp));
        }
        check(0, 3);
    }
    SUBCASE("held by a program that does not share writing") {
        reset();
        writeFile(work, "");
        HANDLE held = CreateFileA(work.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        REQUIRE(held != INVALID_HANDLE_VALUE);
        guardApp()->writeSessionReport("", QuitWithoutSaving, 1);
        CHECK(waitLogWritten(5000));
        CloseHandle(held);
        check(0, 3);
    }
    SUBCASE("a folder where the log should be") {
        reset();
        REQUIRE(CreateDirectoryA(work.c_str(), nullptr));
        guardApp()->writeSessionReport("", QuitWithoutSaving, 1);
        check(0, 3);
        RemoveDirectoryA(work.c_str());
    }
    for (const char* call : {"RegCreateKeyExA", "RegSetValueExA"}) {
        CAPTURE(call);
        reset();
        {
            faultpoint::Scope fault([call](const char* c) { return std::string(c) == call; });
            guardApp()->writeSessionReport("", QuitWithoutSaving, 1);
        }
        CHECK(registryMessage() == "(none)");
        // The message that could not be left is said, in Windows' words.
        const std::vector<std::string> l = lines(reportLog(w.dir));
        REQUIRE(l.size() == 6);
        CHECK(l[4] == "  Message for the next start not left: HKEY_CURRENT_USER\\" +
                          tarnelRegistryKey() + ": " + systemErrorText(ERROR_ACCESS_DENIED) + " ");
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
    std::string log = reportLog(w.dir);
    std::vector<std::string> l = lines(log);
    REQUIRE(l.size() == 4);
    CHECK(log == l[0] + "\r\n  Drawing: " + w.dir + "\\tarnel_p.dwg \r\n" +
                     "Save to other dwg.  Status: 1 \r\n" + std::string(59, '=') + "\r\n");
    CHECK(modtest::registryMessage() ==
          "Your last session was saved to " + w.dir + "\\tarnel_p.dwg " + l[0] + " with status 1.");
}
