// I/O faults at every call: the k-th file or registry call of an operation
// fails, once or from then on, for every k the operation reaches. After each
// run the files are whole, old or new, and no drawing is closed unsaved.
#include <doctest.h>
#include <cstring>
#include <cstdio>
#include <memory>
#include "acdocman.h"
#include "aced.h"
#include "cadhost.h"
#include "cmdlog/logwriter.h"
#include "common/faultpoint.h"
#include "idle/closeaction.h"
#include "modulefixture.h"
#include "settings/guardsettings.h"
#include "shell/guardapp.h"

using namespace testkit;
using namespace modtest;

namespace {

struct Tally {
    const char* what;
    int points = 0;
    int lost = 0;
    ~Tally() {
        std::printf("fault injection, %s: %d points tried, %d lost data\n", what, points, lost);
    }
};

// Runs op with the k-th call failing, for k = 1, 2, ... until a run makes
// fewer calls than k; check returns false when data was lost.
void everyCall(Tally& tally, const std::function<void()>& prepare, const std::function<void()>& op,
               const std::function<bool(bool failed)>& check) {
    for (bool persistent : {false, true}) {
        for (int k = 1;; ++k) {
            CAPTURE(k);
            CAPTURE(persistent);
            prepare();
            auto plan = std::make_shared<faultpoint::KthCall>(k, persistent);
            {
                faultpoint::Scope scope([plan](const char* c) { return (*plan)(c); });
                op();
            }
            const bool reached = plan->calls() >= k;
            if (!reached) break;
            ++tally.points;
            bool whole = check(true);
            CHECK(whole);
            if (!whole) ++tally.lost;
        }
    }
}

} // namespace

TEST_CASE("the settings save: the old file byte for byte or the new one complete") {
    Tally tally{"settings save"};
    std::string dir = freshDir("faults-settings");
    std::string path = dir + "\\tarnel.cfg";
    std::string oldBytes, newBytes;
    {
        GuardSettings s(path);
        s.setTimeInactivity(11);
    }
    oldBytes = readFile(path);
    {
        GuardSettings s(path);
        s.setTimeInactivity(99);
        s.setPassword("changed");
        s.save();
        newBytes = readFile(path);
        s.setTimeInactivity(11);
        s.setPassword("");
    }
    REQUIRE(readFile(path) == oldBytes);
    everyCall(
        tally, [&] { writeFile(path, oldBytes); },
        [&] {
            GuardSettings g(dir + "\\scratch.cfg");
            g.load(path);
            g.setTimeInactivity(99);
            g.setPassword("changed");
            g.saveTo(path);
        },
        [&](bool) {
            std::string now = readFile(path);
            return now == oldBytes || now == newBytes;
        });
    CHECK(tally.points >= 4);
}

TEST_CASE("the report block and the registry message: whole or not at all") {
    Tally tally{"session report"};
    Module m;
    Workspace w("faults-report");
    m.start({{"Action", "2"}});
    const std::string log = w.dir + "\\tarnel.log", fallback = w.temp + "\\tarnel.log";
    const std::string earlier = "earlier block\r\n";
    auto wholeOrNothing = [&](const std::string& now) {
        return now == earlier ||
               (now.compare(0, earlier.size(), earlier) == 0 && now.size() > earlier.size() &&
                now.find("Status: 1 \r\n=====") != std::string::npos &&
                now.compare(now.size() - 2, 2, "\r\n") == 0);
    };
    everyCall(
        tally,
        [&] {
            waitLogWritten(5000); // what the run before kept, so each run tries the files
            writeFile(log, earlier);
            writeFile(fallback, earlier);
            deleteRegistryMessage();
        },
        [&] {
            guardApp()->writeSessionReport(w.dir + "\\tarnel_a.dwg", SaveToOtherDrawing, 1);
            waitLogWritten(4 * kLogRetryMs); // the writer's tries meet the faults
        },
        [&](bool) {
            const std::string now = readFile(log), other = readFile(fallback);
            // At most one of the two logs got the block.
            const bool once = now == earlier || other == earlier;
            const std::string message = registryMessage();
            const bool messageWhole =
                message == "(none)" || (message.rfind("Your last session was saved to ", 0) == 0 &&
                                        message.find(" with status 1.") == message.size() - 15);
            return wholeOrNothing(now) && wholeOrNothing(other) && once && messageWhole;
        });
    CHECK(tally.points >= 4);
}

TEST_CASE("the command-log record: appended whole or kept, never over another") {
    Tally tally{"command log"};
    std::string dir = freshDir("faults-cmdlog");
    const std::string file = dir + "\\tarnel.log";
    const std::string before =
        "User: mia\nCommand ZOOM\tStarted x\tFinished y\tElapsed seconds 0\n";
    TimeStamp t = {1796573786, 750};
    everyCall(
        tally,
        [&] {
            waitLogWritten(5000); // what the run before kept, so each run tries the file
            writeFile(file, before);
        },
        [&] {
            appendLogRecord(file, "LINE", t, t);
            waitLogWritten(3 * kLogRetryMs); // a try, and one more after a failure
        },
        [&](bool) {
            std::string now = readFile(file);
            if (now == before) return true;
            return now.compare(0, before.size(), before) == 0 &&
                   now.find("Command LINE\t", before.size()) == before.size() && now.back() == '\n';
        });
    CHECK(tally.points >= 3);
    // What a failed call kept is written once the file can be.
    CHECK(waitLogWritten(5000));
}

TEST_CASE("the close action's saves: a drawing closes only once it is saved somewhere") {
    Tally tally{"close action saves"};
    for (bool persistent : {false, true}) {
        for (int k = 1; k <= 7; ++k) {
            CAPTURE(k);
            CAPTURE(persistent);
            Module m;
            Workspace w("faults-close");
            m.start({{"Action", "1"}});
            const char* names[] = {"a.dwg", "b.dwg", "c.dwg"};
            for (const char* n : names) {
                w.open(n);
                cadhost::executeLine("LINE 0,0 1,1");
            }
            {
                HostFaults faults;
                faults->failSaveAt = k;
                faults->failSavesAfter = persistent;
                runCloseAction(nullptr);
            }
            ++tally.points;
            bool whole = true;
            const std::string t = w.transcript();
            // A drawing closed is whole in its own file or in its rescue copy.
            const std::string drawing = drawingBytes("LINE 0,0 1,1\r\n");
            const std::vector<std::string> rescued = filesIn(w.rescueDir());
            for (const char* n : names) {
                const std::string path = w.dir + "\\" + n;
                if (t.find("document closed " + path) == std::string::npos) continue;
                if (readFile(path) == drawing) continue;
                const std::string stem = std::string(n, std::strlen(n) - 4) + "_";
                bool copied = false;
                for (const std::string& r : rescued)
                    copied = copied || (r.rfind(stem, 0) == 0 &&
                                        readFile(w.rescueDir() + "\\" + r) == drawing);
                if (!copied) whole = false;
            }
            // A drawing still open keeps its changes.
            if (acDocManagerPtr()->documentCount() != 0) {
                resbuf rb = {};
                acedGetVar("DBMOD", &rb);
                if (rb.resval.rint == 0) whole = false;
            }
            CHECK(IsWindow(adsw_acadMainWnd()) == (acDocManagerPtr()->documentCount() != 0));
            CHECK(whole);
            if (!whole) ++tally.lost;
            cadhost::closeAllDrawings();
            dropQuit();
        }
    }
}
