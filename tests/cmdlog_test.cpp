// The command log through the host's real notifications, with the file's
// bytes read back as written.
#include <doctest.h>
#include "textchecks.h"
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <windows.h>
#include <winioctl.h>
#include "aced.h"
#include "cmdlog/attachreactors.h"
#include "cmdlog/journal.h"
#include "cmdlog/journalformat.h"
#include "cmdlog/logspool.h"
#include "shell/guardapp.h"
#include "settings/guardsettings.h"
#include "idle/idletimer.h"
#include "cmdlog/logrecord.h"
#include "cmdlog/logwriter.h"
#include "common/errortext.h"
#include "common/faultpoint.h"
#include "journalrows.h"
#include "modulefixture.h"
#include "policykeys.h"
#include "stalledserver.h"
#include "cmdlog/tarnelreact.h"
#include "idle/closeactioncode.h"
#include "shell/registrymessage.h"

using namespace testkit;
using modtest::Module;

namespace {

void setEnv(const char* name, const char* value) {
    std::string s = std::string(name) + "=" + (value ? value : "");
    _putenv(s.c_str());
}

void clearEnv() {
    for (const char* v : {"AC_PROJ", "AC_DEPT", "USERNAME", "USERDOMAIN"})
        setEnv(v, nullptr);
}

struct LogRun {
    Module m;
    std::string dir;
    explicit LogRun(const std::string& name, bool logging = true) : dir(freshDir(name)) {
        clearEnv();
        m.start({{"EnableLogging", logging ? "1" : "0"},
                 {"LogfilenameType", "0"},
                 {"Logfilepath", dir}});
        cadhost::openDrawing(drawing("one.dwg").c_str());
    }
    std::string drawing(const std::string& name) {
        writeFile(dir + "\\" + name, "CADHOST DRAWING 1\r\n");
        return dir + "\\" + name;
    }
    std::string log() const {
        CHECK(waitLogWritten(5000));
        return readFile(dir + "\\tarnel.log");
    }
    std::vector<std::string> records() const { return lines(log()); }
};

// The "Elapsed seconds S, miliseconds M" part of a record line.
std::string elapsedOf(const std::string& record) {
    size_t p = record.find("\tElapsed seconds ");
    return p == std::string::npos ? "" : record.substr(p + 1);
}

std::string startedOf(const std::string& record) {
    size_t a = record.find("\tStarted "), b = record.find("\tFinished ");
    return record.substr(a + 1, b - a - 1);
}

// Local time two hours east of UTC for the life of the scope, whatever the
// machine's zone.
struct FixedZone {
    FixedZone() {
        _putenv("TZ=XYZ-2");
        _tzset();
    }
    ~FixedZone() {
        _putenv("TZ=");
        _tzset();
    }
};

// 06.12.2026 18:16:26.750 and 18:16:30.500 at UTC+2.
const TimeStamp kStart = {1796573786, 750};
const TimeStamp kFinish = {1796573790, 500};
const char kLineRecord[] = "Command LINE\tStarted 06.12.2026 at 18:16:26\tFinished 06.12.2026 at "
                           "18:16:30\tElapsed seconds 3, miliseconds 750\n";

// The file once the module's writer has written everything it was given.
std::string written(const std::string& path) {
    CHECK(waitLogWritten(5000));
    return readFile(path);
}

// Waits up to five seconds for the writer to leave n records unwritten.
bool keptUntil(size_t n) {
    for (int i = 0; i < 500 && keptLogRecords() != n; ++i)
        Sleep(10);
    return keptLogRecords() == n;
}

} // namespace

TEST_CASE("logging off writes nothing, yet every ended command restarts the idle count") {
    LogRun r("cmdlog-off", false);

    for (int i = 0; i < 5; ++i)
        idleTick(nullptr, WM_TIMER, 0, 0);
    CHECK(idleTimerState().idleSeconds == 5);
    cadhost::executeLine("LINE 0,0 1,1");
    CHECK(idleTimerState().idleSeconds == 0);
    for (const char* line :
         {"CIRCLE 0,0 ^C", "OPEN nowhere.dwg", "(command \"ZOOM\")", "(command \"LINE\" ^C)"}) {
        for (int i = 0; i < 3; ++i)
            idleTick(nullptr, WM_TIMER, 0, 0);
        CHECK(idleTimerState().idleSeconds == 3);
        cadhost::executeLine(line);
        CHECK(idleTimerState().idleSeconds == 0);
    }
    CHECK_FALSE(fileExists(r.dir + "\\tarnel.log"));
    CHECK_FALSE(commandLogReactor()->isLispActive());
}

TEST_CASE("start times are stamped with logging off, so switching it on records the true start") {
    LogRun r("cmdlog-switch", false);
    cadhost::beginCommand("tarnel_opt");
    Sleep(1100);
    appSettings()->setEnableLogging(true);
    cadhost::endCommand(cadhost::Outcome::Ended);
    std::vector<std::string> rec = r.records();
    REQUIRE(rec.size() == 1);
    CHECK_STARTS(rec[0], "Command tarnel_opt\tStarted ");
    CHECK_STARTS(elapsedOf(rec[0]), "Elapsed seconds 1, miliseconds ");
}

TEST_CASE("LISP: inner commands keep the evaluation's start; cancel writes nothing") {
    LogRun r("cmdlog-lisp");
    cadhost::executeLine("(command \"DELAY\" \"1100\") (command \"LINE\" \"0,0\" \"2,2\")");
    std::vector<std::string> rec = r.records();
    REQUIRE(rec.size() == 3);
    CHECK_STARTS(rec[0], "Command DELAY\t");
    CHECK_STARTS(rec[1], "Command LINE\t");
    CHECK_STARTS(rec[2], "Unknown command (LISP function)\tStarted ");
    CHECK_STARTS(elapsedOf(rec[1]), "Elapsed seconds 1,");
    CHECK(startedOf(rec[0]) == startedOf(rec[2]));
    CHECK(startedOf(rec[1]) == startedOf(rec[2]));

    cadhost::executeLine("(command \"CIRCLE\" \"1,1\" ^C)");
    CHECK(r.records().size() == 3);
    CHECK_FALSE(commandLogReactor()->isLispActive());
    cadhost::executeLine("CIRCLE 0,0 ^C");
    cadhost::executeLine("OPEN nowhere.dwg");
    CHECK(r.records().size() == 3);
    cadhost::executeLine("ZOOM"); // stamped afresh after the cancels
    rec = r.records();
    REQUIRE(rec.size() == 4);
    CHECK_STARTS(elapsedOf(rec[3]), "Elapsed seconds 0,");
}

TEST_CASE("a command that ends without a name is logged as a LISP function") {
    LogRun r("cmdlog-noname");
    commandLogReactor()->commandEnded(nullptr); // as the host may report it
    std::vector<std::string> rec = r.records();
    REQUIRE(rec.size() == 1);
    CHECK_STARTS(rec[0], "Unknown command (LISP function)\tStarted ");
    CHECK(elapsedOf(rec[0]) == "Elapsed seconds 0, miliseconds 0");
}

TEST_CASE("drawings are timed apart; a transparent command restamps its drawing") {
    LogRun r("cmdlog-docs");
    AcApDocManager* dm = acDocManagerPtr();
    AcApDocument* one = dm->curDocument();
    AcApDocument* two = cadhost::openDrawing(r.drawing("two.dwg").c_str());
    dm->setCurDocument(one, AcAp::kNone, false);
    cadhost::beginCommand("LINE"); // in one
    Sleep(1100);
    dm->setCurDocument(two, AcAp::kNone, false);
    cadhost::executeLine("CIRCLE 1,1 1"); // in two
    CHECK(commandLogReactor()->documents().entryCount() == 2);
    dm->setCurDocument(one, AcAp::kNone, false);
    cadhost::endCommand(cadhost::Outcome::Ended);
    std::vector<std::string> rec = r.records();
    REQUIRE(rec.size() == 2);
    CHECK_STARTS(elapsedOf(rec[0]), "Elapsed seconds 0,");
    CHECK_STARTS(elapsedOf(rec[1]), "Elapsed seconds 1,");
    dm->closeDocument(two);
    CHECK(commandLogReactor()->documents().entryCount() == 1);

    cadhost::beginCommand("LINE");
    Sleep(1100);
    cadhost::executeLine("ZOOM"); // typed transparently inside LINE
    cadhost::endCommand(cadhost::Outcome::Ended);
    rec = r.records();
    REQUIRE(rec.size() == 4);
    CHECK_STARTS(rec[3], "Command LINE\t");
    CHECK_STARTS(elapsedOf(rec[3]), "Elapsed seconds 0,");
}

TEST_CASE("a command running at attach time; attaching twice registers once") {
    std::string dir = freshDir("cmdlog-attach");
    clearEnv();
    Module m;
    cadhost::beginCommand("APPLOAD");
    m.start({{"LogfilenameType", "0"}, {"Logfilepath", dir}});
    cadhost::endCommand(cadhost::Outcome::Ended);
    std::vector<std::string> rec = lines(written(dir + "\\tarnel.log"));
    REQUIRE(rec.size() == 1);
    CHECK(elapsedOf(rec[0]) == "Elapsed seconds 0, miliseconds 0");
    CommandLogReactor* first = commandLogReactor();
    CHECK(attachReactors(*appSettings()));
    CHECK(commandLogReactor() == first);
    cadhost::executeLine("ZOOM");
    CHECK(lines(written(dir + "\\tarnel.log")).size() == 2);
    m.stop();
    CHECK(commandLogReactor() == nullptr);
    detachReactors(); // nothing attached: nothing happens
    cadhost::executeLine("ZOOM");
    CHECK(lines(written(dir + "\\tarnel.log")).size() == 2);
}

TEST_CASE("header lines and bytes on disk") {
    std::string dir = freshDir("cmdlog-bytes");
    FixedZone zone;
    TimeStamp t0 = kStart, t1 = kFinish;
    clearEnv();
    SUBCASE("a whole record line, byte for byte") {
        CHECK(logRecord("LINE", kStart, kFinish) == kLineRecord);
        CHECK(logRecord(nullptr, kStart, kStart) ==
              "Unknown command (LISP function)\tStarted 06.12.2026 at 18:16:26\tFinished "
              "06.12.2026 at 18:16:26\tElapsed seconds 0, miliseconds 0\n");
    }
    SUBCASE("project and user set") {
        setEnv("AC_PROJ", "Bridge");
        setEnv("USERNAME", "mia");
        CHECK(appendLogRecord(dir + "\\a.log", "LINE", t0, t1));
        CHECK(written(dir + "\\a.log") ==
              std::string("Project: Bridge\nUser: mia\n") + kLineRecord);
    }
    SUBCASE("both projects, LF only and no BOM") {
        setEnv("AC_PROJ", "P1");
        setEnv("AC_DEPT", "D2");
        CHECK(appendLogRecord(dir + "\\b.log", nullptr, t0, t0));
        std::string bytes = written(dir + "\\b.log");
        CHECK_STARTS(bytes, "Project: P1\nProject: D2\nUnknown command (LISP function)\tStarted ");
        CHECK_LACKS(bytes, '\r');
    }
    SUBCASE("a domain set but empty gives its line; one not set gives none") {
        // A process started with "USERDOMAIN=" in its environment: the
        // runtime cannot set a variable to empty in this one.
        auto headerWith = [&](const char* domainEntry, const std::string& file) {
            std::string block;
            for (const char* e = GetEnvironmentStringsA(); *e; e += std::strlen(e) + 1) {
                const std::string entry = e;
                bool ours = false;
                for (const char* v : {"AC_PROJ=", "AC_DEPT=", "USERNAME=", "USERDOMAIN="})
                    ours = ours || _strnicmp(entry.c_str(), v, std::strlen(v)) == 0;
                if (!ours) block += entry + '\0';
            }
            if (domainEntry) block += std::string(domainEntry) + '\0';
            block += '\0';
            std::string cmd = "\"" + binDir() + "\\logwriter_child.exe\" \"" + file + "\" 1 D";
            STARTUPINFOA si = {};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi = {};
            REQUIRE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, &block[0], nullptr,
                                   &si, &pi));
            CHECK(WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
            const std::string bytes = readFile(file);
            return bytes.substr(0, bytes.find("Command D\t"));
        };
        CHECK(headerWith("USERDOMAIN=", dir + "\\empty.log") == "Domain: \n");
        CHECK(headerWith(nullptr, dir + "\\unset.log") == "");
    }
    SUBCASE("an existing file gets no header and no added line feed") {
        setEnv("USERNAME", "mia");
        writeFile(dir + "\\c.log", "report without line feed");
        CHECK(appendLogRecord(dir + "\\c.log", "LINE", t0, t1));
        CHECK(written(dir + "\\c.log") == std::string("report without line feed") + kLineRecord);
    }
    SUBCASE("names and values of any length are written whole") {
        std::string longName(5000, 'N');
        std::string longProject(3000, 'p');
        setEnv("AC_PROJ", longProject.c_str());
        CHECK(appendLogRecord(dir + "\\d.log", longName.c_str(), t0, t1));
        std::vector<std::string> l = lines(written(dir + "\\d.log"));
        REQUIRE(l.size() == 2);
        CHECK(l[0] == "Project: " + longProject);
        CHECK_STARTS(l[1], "Command " + longName + "\tStarted ");
        CHECK(elapsedOf(l[1]) == "Elapsed seconds 3, miliseconds 750");
    }
    SUBCASE("nowhere to write: kept, nothing shown, written in order once it can be") {
        CHECK(appendLogRecord(dir + "\\missing\\e.log", "LINE", t0, t1));
        CHECK_FALSE(appendLogRecord("", "LINE", t0, t1));
        HANDLE held = CreateFileA((dir + "\\held.log").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, 0, nullptr);
        CHECK(appendLogRecord(dir + "\\held.log", "ZOOM", t0, t1));
        CHECK(appendLogRecord(dir + "\\held.log", "PAN", t0, t1));
        CHECK_FALSE(waitLogWritten(2 * kLogRetryMs));
        CHECK(keptLogRecords() == 3);
        CloseHandle(held);
        CHECK(appendLogRecord(dir + "\\held.log", "LINE", t0, t1));
        CHECK(keptUntil(1));
        std::vector<std::string> l = lines(readFile(dir + "\\held.log"));
        REQUIRE(l.size() == 3);
        CHECK_STARTS(l[0], "Command ZOOM\t");
        CHECK_STARTS(l[1], "Command PAN\t");
        CHECK_STARTS(l[2], "Command LINE\t");
        // The folder that comes back gets its record.
        REQUIRE(CreateDirectoryA((dir + "\\missing").c_str(), nullptr));
        CHECK(waitLogWritten(5000));
        CHECK(readFile(dir + "\\missing\\e.log") == kLineRecord);
    }
    SUBCASE("an end that cannot be found keeps the record instead of writing over the start") {
        const std::string before = std::string("Project: Bridge\n") + kLineRecord;
        writeFile(dir + "\\f.log", before);
        for (const char* call : {"GetFileSizeEx", "SetFilePointerEx", "WriteFile"}) {
            CAPTURE(call);
            std::atomic<int> asked{0};
            faultpoint::Scope fault([call, &asked](const char* c) {
                const bool hit = std::string(c) == call;
                if (hit) ++asked;
                return hit;
            });
            CHECK(appendLogRecord(dir + "\\f.log", "ZOOM", t0, t1));
            for (int i = 0; i < 500 && asked < 2; ++i)
                Sleep(10);
            CHECK(asked >= 2); // tried, and tried again
            CHECK(readFile(dir + "\\f.log") == before);
        }
        CHECK(appendLogRecord(dir + "\\f.log", "LINE", t0, t1));
        CHECK(waitLogWritten(5000));
        std::vector<std::string> l = lines(readFile(dir + "\\f.log"));
        REQUIRE(l.size() == 6);
        for (int i = 2; i < 5; ++i)
            CHECK_STARTS(l[i], "Command ZOOM\t");
        CHECK(l[5] + "\n" == kLineRecord);
    }
    SUBCASE("a reader sharing the log never blocks a writer") {
        writeFile(dir + "\\r.log", "");
        HANDLE reader =
            CreateFileA((dir + "\\r.log").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, 0, nullptr);
        REQUIRE(reader != INVALID_HANDLE_VALUE);
        CHECK(appendLogRecord(dir + "\\r.log", "LINE", t0, t1));
        CHECK(appendLogRecord(dir + "\\r.log", "LINE", t0, t1));
        CHECK(waitLogWritten(5000));
        CloseHandle(reader);
        CHECK(readFile(dir + "\\r.log") == std::string(kLineRecord) + kLineRecord);
    }
    SUBCASE("past the bound the oldest go, and one line says how many") {
        HANDLE held = CreateFileA((dir + "\\full.log").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, 0, nullptr);
        REQUIRE(held != INVALID_HANDLE_VALUE);
        const size_t extra = 3;
        for (size_t i = 0; i < kMaxKeptLogRecords + extra; ++i) {
            const std::string name = "C" + std::to_string(i);
            appendLogRecord(dir + "\\full.log", name.c_str(), t0, t1);
        }
        CHECK(keptLogRecords() == kMaxKeptLogRecords);
        CloseHandle(held);
        CHECK(waitLogWritten(5000));
        std::vector<std::string> l = lines(readFile(dir + "\\full.log"));
        REQUIRE(l.size() == kMaxKeptLogRecords + 1);
        CHECK(l[0] == "Tarnel: 3 command records were lost while the log could not be written");
        CHECK_STARTS(l[1], "Command C3\t");
        CHECK_STARTS(l.back(), "Command C" + std::to_string(kMaxKeptLogRecords + extra - 1) + "\t");
    }
    clearEnv();
}

TEST_CASE("elapsed time borrows once") {
    long s;
    int ms;
    elapsed({36000, 900}, {36001, 100}, s, ms);
    CHECK(s == 0);
    CHECK(ms == 200);
    elapsed({36000, 0}, {36000, 0}, s, ms);
    CHECK(s == 0);
    CHECK(ms == 0);
    elapsed({36005, 200}, {36003, 0}, s, ms); // the clock was set back
    CHECK(s == -3);
    CHECK(ms == 800);
    CHECK(elapsedOf(logRecord("X", {36005, 200}, {36003, 0})) ==
          "Elapsed seconds -3, miliseconds 800\n");
}

TEST_CASE("log file names") {
    std::string dir = freshDir("cmdlog-names");
    GuardSettings s(dir + "\\tarnel.cfg");
    s.setLogfilepath("D:\\logs");
    s.setLogfilenameType(0);
    s.buildLogFileName();
    CHECK(s.getLogFileName() == "D:\\logs\\tarnel.log");
    auto stampNow = [] {
        char buf[32];
        std::time_t now = std::time(nullptr);
        std::strftime(buf, sizeof buf, "%Y%m%d%H%M", std::localtime(&now));
        return std::string(buf);
    };
    s.setLogfilenameType(1);
    setEnv("USERNAME", nullptr);
    std::string before = stampNow();
    s.buildLogFileName();
    std::string after = stampNow();
    std::string name = s.getLogFileName();
    CHECK((name == "D:\\logs\\Unknown_" + before + ".log" ||
           name == "D:\\logs\\Unknown_" + after + ".log"));
    setEnv("USERNAME", "mia");
    s.buildLogFileName();
    CHECK_STARTS(s.getLogFileName(), "D:\\logs\\mia_2");
    CHECK(s.getLogFileName().size() == std::string("D:\\logs\\mia_").size() + 12 + 4);
    s.setLogfilenameType(5);
    s.buildLogFileName();
    CHECK_STARTS(s.getLogFileName(), "D:\\logs\\mia_"); // left as it was
    clearEnv();
    // Folders as people write them: the stored text stays, the file is found.
    testkit::EnvironmentSetting place("TARNEL_PLACE", "E:\\cad\\");
    const struct {
        const char* written;
        const char* folder;
    } forms[] = {
        {"\"D:\\CAD Logs\"", "D:\\CAD Logs"},
        {"  D:\\logs\\  ", "D:\\logs"},
        {"D:/logs/", "D:\\logs"},
        {"\\\\srv\\share\\logs\\", "\\\\srv\\share\\logs"},
        {"%TARNEL_PLACE%\\logs", "E:\\cad\\logs"},
        {"\"%TARNEL_PLACE%\"", "E:\\cad"},
        {"%TARNEL_NOT_SET%\\logs", "%TARNEL_NOT_SET%\\logs"},
        {"C:\\", "C:\\"},
    };
    s.setLogfilenameType(0);
    for (const auto& f : forms) {
        CAPTURE(f.written);
        s.setLogfilepath(f.written);
        s.buildLogFileName();
        CHECK(s.getLogfilepath() == f.written);
        const std::string folder = f.folder;
        CHECK(s.getLogFileName() ==
              folder + (folder.back() == '\\' ? "" : "\\") + "tarnel.log");
        const std::string journal = journalFileIn(f.written);
        CHECK(journal.substr(0, journal.rfind('\\') + 1) ==
              folder + (folder.back() == '\\' ? "" : "\\"));
    }
}

TEST_CASE("appending past 4 GiB never overwrites") {
    std::string dir = freshDir("cmdlog-large");
    std::string path = dir + "\\big.log";
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    REQUIRE(h != INVALID_HANDLE_VALUE);
    DWORD ret;
    DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ret, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 0xFFFFFFF0LL; // 16 bytes below 4 GiB
    SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
    DWORD written;
    WriteFile(h, "tail", 4, &written, nullptr);
    CloseHandle(h);
    const long long before = size.QuadPart + 4;
    FixedZone zone;
    CHECK(appendLogRecord(path, "LINE", kStart, kFinish));
    CHECK(appendLogRecord(path, "LINE", kStart, kFinish));
    CHECK(waitLogWritten(5000));
    const std::string expected = std::string("tail") + kLineRecord + kLineRecord;
    h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                    nullptr);
    REQUIRE(h != INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    GetFileSizeEx(h, &end);
    CHECK(end.QuadPart == before + (long long)expected.size() - 4);
    SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
    std::string back(expected.size(), '\0');
    ReadFile(h, &back[0], (DWORD)back.size(), &written, nullptr);
    CloseHandle(h);
    CHECK(back == expected);
    DeleteFileA(path.c_str());
}

// Processes appending to one file all at once, as hosts on one computer do.
static void runWriters(const std::string& path, int writers, int each, const char* mode) {
    std::vector<PROCESS_INFORMATION> procs;
    for (int i = 0; i < writers; ++i) {
        std::string cmd = "\"" + binDir() + "\\logwriter_child.exe\" \"" + path + "\" " +
                          std::to_string(each) + " W" + std::to_string(i) + " " + mode;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        REQUIRE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                               &pi));
        procs.push_back(pi);
    }
    for (PROCESS_INFORMATION& pi : procs) {
        CHECK(WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
}

TEST_CASE("several processes appending to one log keep every record whole") {
    std::string dir = freshDir("cmdlog-shared");
    std::string path = dir + "\\shared.log";
    const int writers = 4, each = 150;
    runWriters(path, writers, each, "log");
    std::vector<std::string> l = lines(readFile(path));
    int intact = 0;
    for (const std::string& line : l)
        if (line.rfind("Command W", 0) == 0 &&
            line.find("\tElapsed seconds 0, miliseconds 0") == line.size() - 33)
            ++intact;
    CHECK(intact == writers * each);
    CHECK(l.size() == (size_t)(writers * each));
}

TEST_CASE("a log another writer holds: the reactor never waits, every record comes, in order") {
    LogRun run("cmdlog-heldwriter");
    const std::string log = run.dir + "\\tarnel.log";
    // Another host holds the log alone for two seconds.
    std::string cmd = "\"" + binDir() + "\\logwriter_child.exe\" \"" + log + "\" hold 2000";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    REQUIRE(
        CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    // Until the holder has it.
    for (int i = 0; i < 200 && !fileExists(log); ++i)
        Sleep(10);
    Sleep(100);
    LARGE_INTEGER freq, a, b;
    QueryPerformanceFrequency(&freq);
    double worstMs = 0;
    for (int i = 0; i < 20; ++i) {
        const std::string name = "K" + std::to_string(i);
        QueryPerformanceCounter(&a);
        modtest::commandThroughPort(name.c_str());
        QueryPerformanceCounter(&b);
        worstMs = std::max(worstMs, (b.QuadPart - a.QuadPart) * 1000.0 / freq.QuadPart);
    }
    CHECK(keptLogRecords() == 20);
    CHECK(worstMs < 2);
    MESSAGE("worst reactor call while held: " << worstMs << " ms");
    CHECK(WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    std::vector<std::string> l = run.records();
    REQUIRE(l.size() == 20);
    for (int i = 0; i < 20; ++i)
        CHECK_STARTS(l[i], "Command K" + std::to_string(i) + "\t");
}

TEST_CASE("a log on a server that does not answer: nothing waits, on the host's thread neither, "
          "the unload spools, the next start writes it first") {
    modtest::Workspace w("cmdlog-stalled");
    // Every open in the workspace waits, the report log's (the working
    // folder's, and the temporary folder's in it) too, on any thread.
    StalledServer server(w.dir);
    const std::string journal = journalFileIn(w.dir), logs = w.dir + "\\logs";
    REQUIRE(CreateDirectoryA(logs.c_str(), nullptr));
    const std::map<std::string, std::string> settings = {{"EnableLogging", "1"},
                                                         {"LogfilenameType", "0"},
                                                         {"Logfilepath", logs},
                                                         {"Journalpath", w.dir},
                                                         {"TimeInactivity", "2"}};
    Module m;
    m.start(settings);
    // The minute's tick reads these: a journal line for the settings changed
    // and a report block for the value ignored, both queued by a tick.
    PolicyKeys policy;
    PolicyKeys::number(HKEY_CURRENT_USER, "TimeCountdown", 20);
    PolicyKeys::number(HKEY_CURRENT_USER, "Action", 9);
    LARGE_INTEGER freq, a, b;
    QueryPerformanceFrequency(&freq);
    auto ms = [&] { return (b.QuadPart - a.QuadPart) * 1000.0 / freq.QuadPart; };
    double worstCall = 0, worstTick = 0, minuteTick = 0, report = 0;
    for (int i = 0; i < 65; ++i) { // the policy at the 60th
        QueryPerformanceCounter(&a);
        modtest::ticks(1);
        QueryPerformanceCounter(&b);
        double& worst = i == 59 ? minuteTick : worstTick;
        worst = std::max(worst, ms());
    }
    CHECK(keptLogRecords() == 3); // start, settings, the policy's block
    PolicyKeys::clear();
    for (int i = 0; i < 20; ++i) { // the first ends the quiet stretch: a journal line too
        const std::string name = "K" + std::to_string(i);
        QueryPerformanceCounter(&a);
        modtest::commandThroughPort(name.c_str());
        QueryPerformanceCounter(&b);
        worstCall = std::max(worstCall, ms());
    }
    // A block of the report log, which is in the working folder.
    QueryPerformanceCounter(&a);
    guardApp()->writeSessionReport("", QuitWithoutSaving, 1);
    QueryPerformanceCounter(&b);
    report = ms();
    CHECK(worstCall < 2);
    CHECK(worstTick < 2);
    // The registry's policy read, a journal line and a report block: an
    // open of either file there would wait ten seconds.
    CHECK(minuteTick < 50);
    CHECK(report < 50);
    MESSAGE("while every open waits: worst reactor call " << worstCall << " ms, worst tick "
                                                          << worstTick << " ms, the minute's "
                                                          << minuteTick << " ms, report " << report
                                                          << " ms");
    CHECK(keptLogRecords() == 25); // and quiet, the commands, the block
    // The unload waits two seconds at most, then spools.
    const DWORD began = GetTickCount();
    m.stop();
    const DWORD unload = GetTickCount() - began;
    CHECK(unload < 2500);
    CHECK(keptLogRecords() == 0);
    CHECK_FALSE(fileExists(journal));
    CHECK_FALSE(fileExists(logs + "\\tarnel.log"));
    CHECK_FALSE(fileExists(w.dir + "\\tarnel.log"));
    server.answer();
    // The next start: the spooled lines first, then its own (the block's
    // message is not shown: nobody would answer it).
    modtest::deleteRegistryMessage();
    m.start(settings);
    w.open("one.dwg");
    cadhost::executeLine("ZOOM");
    m.stop();
    std::vector<std::string> l = lines(readFile(logs + "\\tarnel.log"));
    REQUIRE(l.size() == 21);
    for (int i = 0; i < 20; ++i)
        CHECK_STARTS(l[i], "Command K" + std::to_string(i) + "\t");
    CHECK_STARTS(l[20], "Command ZOOM\t");
    std::vector<std::string> events;
    for (const std::vector<std::string>& row : journalRows(journal))
        events.push_back(row[4]);
    CHECK(events ==
          std::vector<std::string>{"start", "settings", "quiet", "end", "start", "end"});
    CHECK_CONTAINS(readFile(w.dir + "\\tarnel.log"), "  Action: Quit, don't save.\r\n");
    CHECK(takeSpooledLogs({"command-log", "journal", "report"}).empty());
}

TEST_CASE("the unload writes what was kept") {
    LogRun run("cmdlog-unloadflush");
    const std::string log = run.dir + "\\tarnel.log";
    HANDLE held = CreateFileA(log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    REQUIRE(held != INVALID_HANDLE_VALUE);
    cadhost::executeLine("ZOOM");
    cadhost::executeLine("PAN");
    CHECK(keptLogRecords() == 2);
    CloseHandle(held);
    run.m.stop();
    CHECK(keptLogRecords() == 0);
    CHECK(takeSpooledLogs({"command-log"}).empty());
    std::vector<std::string> l = run.records();
    REQUIRE(l.size() == 2);
    CHECK_STARTS(l[0], "Command ZOOM\t");
    CHECK_STARTS(l[1], "Command PAN\t");
}

TEST_CASE("a slow share that still answers: the batch in flight at the unload is spooled too") {
    modtest::Workspace w("cmdlog-slowwrite");
    StalledServer slow(w.dir + "\\elsewhere", 3000); // every write takes three seconds
    Module m;
    m.start({{"EnableLogging", "1"}, {"LogfilenameType", "0"}, {"Logfilepath", w.dir}});
    w.open("one.dwg");
    cadhost::executeLine("ZOOM");
    Sleep(300); // the writer has it in flight
    m.stop();
    const std::vector<SpooledLog> spooled = takeSpooledLogs({"command-log", "journal", "report"});
    REQUIRE(spooled.size() == 1);
    REQUIRE_FALSE(spooled[0].records.empty());
    CHECK_STARTS(spooled[0].records.back(), "Command ZOOM\t");
    slow.answer();
    CHECK(waitLogWritten(5000));
}

TEST_CASE("a journal folder that does not answer holds up no other log; the unload spools only "
          "its lines") {
    modtest::Workspace w("cmdlog-onedead");
    const std::string dead = w.dir + "\\dead", logs = w.dir + "\\logs";
    REQUIRE(CreateDirectoryA(logs.c_str(), nullptr));
    StalledServer server(dead);
    Module m;
    m.start({{"EnableLogging", "1"},
             {"LogfilenameType", "0"},
             {"Logfilepath", logs},
             {"Journalpath", dead}});
    w.open("one.dwg");
    cadhost::executeLine("ZOOM");
    cadhost::executeLine("PAN");
    // Written while the journal's open waits.
    size_t written = 0;
    for (int i = 0; i < 100 && written < 2; ++i, Sleep(20))
        written = modtest::count(readFile(logs + "\\tarnel.log"), "Command ");
    CHECK(written == 2);
    m.stop();
    const std::vector<SpooledLog> spooled = takeSpooledLogs({"command-log", "journal", "report"});
    REQUIRE(spooled.size() == 1);
    CHECK(spooled[0].kind == "journal");
    REQUIRE(spooled[0].records.size() == 2); // the session's start and end
    CHECK_CONTAINS(spooled[0].records[0], ",start,");
    CHECK_CONTAINS(spooled[0].records[1], ",end,");
    server.answer();
}

TEST_CASE("a start's spool: read by the writer, each line a record under the bound, the file "
          "kept until its lines are written") {
    modtest::Workspace w("cmdlog-respool");
    Module m; // it empties the spool: made before this test's
    const std::string logs = w.dir + "\\logs", file = logs + "\\tarnel.log";
    SpooledLog earlier;
    earlier.kind = "command-log";
    earlier.file = file;
    for (size_t i = 0; i + 5 < kMaxKeptLogRecords; ++i)
        earlier.records.push_back("Command S" + std::to_string(i) + "\n");
    REQUIRE(spoolLogs({earlier}));
    m.start({{"EnableLogging", "1"}, {"LogfilenameType", "0"}, {"Logfilepath", logs}});
    w.open("one.dwg");
    for (int i = 0; i < 10; ++i)
        cadhost::executeLine("ZOOM");
    CHECK_FALSE(waitLogWritten(3 * kLogRetryMs)); // the folder is not there yet
    CHECK(keptLogRecords() == kMaxKeptLogRecords);
    // The spool stays while its lines wait: a crash now would lose none.
    CHECK(filesIn(w.temp + "\\tarnel-spool").size() == 1);
    REQUIRE(CreateDirectoryA(logs.c_str(), nullptr));
    CHECK(waitLogWritten(5000));
    const std::string bytes = readFile(file);
    CHECK_CONTAINS(bytes, "Tarnel: 5 command records were lost while the log could not be written\n"
                          "Command S5\n");
    CHECK(modtest::count(bytes, "Command ") == kMaxKeptLogRecords);
    CHECK(modtest::count(bytes, "Command ZOOM\t") == 10);
    CHECK(filesIn(w.temp + "\\tarnel-spool").empty());
    m.stop();
}

TEST_CASE("records that cannot be kept are told at the next start and in the report log: a spool "
          "that cannot be written, one of another format, a folder gone for thirty days") {
    modtest::Workspace w("cmdlog-told");
    Module m; // it empties the spool: made before this test's
    const std::string gone = w.dir + "\\gone", spool = w.temp + "\\tarnel-spool";
    REQUIRE(CreateDirectoryA(spool.c_str(), nullptr));
    writeFile(spool + "\\0.spool", "Tarnel spool 9\nsomething else\n");
    SpooledLog old;
    old.kind = "journal";
    old.file = gone + "\\PC.csv";
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    old.since = (((unsigned long long)now.dwHighDateTime << 32) | now.dwLowDateTime) -
                31ull * 864000000000ull;
    old.records = {"x\r\n"};
    REQUIRE(spoolLogs({old}));
    m.start({{"EnableLogging", "1"}, {"LogfilenameType", "0"}, {"Logfilepath", gone}});
    w.open("one.dwg");
    cadhost::executeLine("ZOOM");
    CHECK_FALSE(waitLogWritten(3 * kLogRetryMs));
    {
        faultpoint::Scope full([](const char* c) { return std::string(c) == "SpoolFile"; });
        m.stop();
    }
    CHECK(fileExists(spool + "\\0.spool.bad"));
    CHECK(takeSpooledLogs({"command-log", "journal", "report"}).empty());
    const std::string told = registryString(tarnelRegistryKey(), "LogFault");
    CHECK_CONTAINS(told, "a spool file of an unknown format was set aside as " + spool +
                             "\\0.spool.bad: its lines could not be kept");
    CHECK_CONTAINS(told, "1 journal lines for " + gone +
                             "\\PC.csv, unreachable for 30 days, could not be kept");
    CHECK_CONTAINS(told, "1 command records for " + gone + "\\tarnel.log could not be kept: " +
                             spool + " cannot be written: ");
    CHECK(modtest::count(modtest::reportLog(w.dir), "  Log records lost: ") == 3);
    // The next start tells the user, once.
    DialogDriver dialogs;
    dialogs.press(IDOK);
    m.start({});
    m.stop();
    REQUIRE(dialogs.seen.size() == 1);
    std::string text;
    for (const std::string& t : dialogs.seen[0].texts)
        text += t;
    CHECK_CONTAINS(text, "Tarnel could not write every log record:\n");
    CHECK_CONTAINS(text, "1 command records for " + gone + "\\tarnel.log could not be kept");
    CHECK(registryString(tarnelRegistryKey(), "LogFault") == "(none)");
}

TEST_CASE("a log folder that cannot be written is told once a start, in Windows' words: at the "
          "next start, in the report log and the journal; a log held open is not") {
    struct Case {
        const char* name;
        std::string folder; // under the workspace
        int naming;
        DWORD error; // 0: nothing is told
    };
    const Case cases[] = {
        {"missing", "gone", 0, ERROR_PATH_NOT_FOUND},
        // A 240-character folder: "<user>_<stamp>.log" goes past Windows' limit.
        {"too long", "", 1, ERROR_FILENAME_EXCED_RANGE},
        {"held by another program", "held", 0, 0},
        {"the journal's, missing", "gone-journal", 0, ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        modtest::Workspace w("cmdlog-unwritable");
        Module m;
        const std::string journalDir = w.dir + "\\journal";
        REQUIRE(CreateDirectoryA(journalDir.c_str(), nullptr));
        std::string folder = w.dir + "\\" + c.folder;
        if (c.folder.empty()) {
            folder = w.dir + "\\" + std::string(240 - w.dir.size() - 1, 'd');
            REQUIRE(CreateDirectoryA(folder.c_str(), nullptr));
        }
        FileHandle held;
        if (c.folder == "held") {
            REQUIRE(CreateDirectoryA(folder.c_str(), nullptr));
            held.reset(CreateFileA((folder + "\\tarnel.log").c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_NEW, 0, nullptr));
            REQUIRE(held.valid());
        }
        const bool ofJournal = c.folder == "gone-journal";
        m.start({{"EnableLogging", "1"},
                 {"LogfilenameType", std::to_string(c.naming)},
                 {"Logfilepath", ofJournal ? w.dir : folder},
                 {"Journalpath", ofJournal ? folder : journalDir}});
        w.open("one.dwg");
        cadhost::executeLine("ZOOM");
        cadhost::executeLine("PAN");
        CHECK_FALSE(waitLogWritten(4 * kLogRetryMs)); // tried again and again
        m.stop();
        const std::string told = registryString(tarnelRegistryKey(), "LogFault");
        testkit::deleteRegistryValue(tarnelRegistryKey(), "LogFault"); // no box for a later test
        const std::string report = modtest::reportLog(w.dir);
        const std::string journal = readFile(journalFileIn(journalDir));
        if (!c.error) {
            CHECK(told == "(none)");
            CHECK(modtest::count(report, "Log folder cannot be written") == 0);
            CHECK(modtest::count(journal, ",log-unwritable,") == 0);
            continue;
        }
        const std::string why = folder + ": " + systemErrorText(c.error);
        const std::string which = ofJournal ? "journal" : "command log";
        CHECK(told == "The " + which + "'s folder " + folder + " cannot be written: " +
                          systemErrorText(c.error) + " Its records wait for a later start.");
        CHECK(modtest::count(report, "  Log folder cannot be written: " + folder + " (the " +
                                         which + "): " + systemErrorText(c.error) + " \r\n") ==
              1);
        if (ofJournal) {
            CHECK(takeSpooledLogs({"journal"}).size() == 1);
            continue;
        }
        CHECK(modtest::count(journal, ",log-unwritable,") == 1);
        CHECK(modtest::count(journal, why) == 1);
        CHECK(takeSpooledLogs({"command-log"}).size() == 1); // the records are kept
    }
}

TEST_CASE("without a hold on the module no writer runs its code: the records wait for the spool") {
    modtest::Workspace w("cmdlog-nohold");
    Module m;
    {
        faultpoint::Scope noHold([](const char* c) { return std::string(c) == "LoadLibraryW"; });
        m.start({{"EnableLogging", "1"}, {"LogfilenameType", "0"}, {"Logfilepath", w.dir}});
        w.open("one.dwg");
        cadhost::executeLine("ZOOM");
        CHECK_FALSE(waitLogWritten(3 * kLogRetryMs));
        CHECK(keptLogRecords() == 1);
        m.stop();
    }
    CHECK_FALSE(fileExists(w.dir + "\\tarnel.log"));
    m.start({{"EnableLogging", "1"}, {"LogfilenameType", "0"}, {"Logfilepath", w.dir}});
    m.stop();
    CHECK(modtest::count(readFile(w.dir + "\\tarnel.log"), "Command ZOOM\t") == 1);
}

TEST_CASE("hosts sharing one journal: one header, every line whole, each host's in order") {
    std::string path = freshDir("journal-shared") + "\\PC.csv";
    const int writers = 4, each = 150;
    runWriters(path, writers, each, "journal");
    const std::string bytes = readFile(path);
    const std::string header =
        "\xEF\xBB\xBFtime,computer,user,session,event,seconds,drawing,action,status,detail\r\n";
    CHECK_STARTS(bytes, header);
    CHECK(bytes.find("time,computer", header.size()) == std::string::npos);
    std::vector<std::string> l = lines(bytes.substr(header.size()));
    CHECK(l.size() == (size_t)(writers * each));
    std::vector<int> next(writers, 0);
    int whole = 0;
    for (const std::string& line : l) {
        std::vector<std::string> f;
        if (!splitCsvLine(line, f) || f.size() != 10 || f[4].size() != 2 || f[4][0] != 'W')
            continue;
        const int w = f[4][1] - '0';
        if (w < 0 || w >= writers || std::atoi(f[5].c_str()) != next[w]) continue;
        ++next[w];
        ++whole;
    }
    CHECK(whole == writers * each);
}

TEST_CASE("spool files: whole ones of either format are taken oldest first, record by record; "
          "anything else is set aside and named; a file goes once let go, unless kept") {
    const std::string temp = freshDir("cmdlog-spool");
    testkit::EnvironmentSetting tmp("TMP", temp), tempVar("TEMP", temp);
    const std::string folder = logSpoolFolder();
    REQUIRE(folder == temp + "\\tarnel-spool");
    REQUIRE(CreateDirectoryA(folder.c_str(), nullptr));
    struct Row {
        const char* name;
        std::string bytes;
        bool taken;
    };
    const std::string v1 = "Tarnel spool 1\n", v2 = "Tarnel spool 2\n";
    const Row rows[] = {
        {"2", v1 + "journal 6 3\nj1.csvb\nc", true},
        {"1", v1 + "command-log 5 2\nc.loga\n" + "journal 6 1\nj1.csvz", true},
        {"3", v1 + "journal 6 9\nj1.csvshort", false},      // cut short
        {"4", v1 + "printer 5 1\nc.logx", false},           // a kind not asked for
        {"5", "Tarnel spool 3\njournal 6 1\nj1.csvx", false}, // another format
        {"6", v1 + "journal 0 1\n\nx", false},              // no file
        {"7", v1 + "journal 99999999999 1\nx", false},      // a length past any spool
        {"8", v2 + "T journal 5 2 6 2\nj2.csvR 2\na\nR 2\nb\n", true},
        {"9", v2 + "T journal 5 2 6 3\nj2.csvR 2\na\n", false}, // a record short
    };
    for (const Row& r : rows)
        writeFile(folder + "\\" + r.name + ".spool", r.bytes);
    std::vector<std::string> setAside;
    {
        const std::vector<TakenSpool> taken = takeSpools({"command-log", "journal"}, &setAside);
        REQUIRE(taken.size() == 3);
        REQUIRE(taken[0].logs.size() == 2);
        CHECK(taken[0].logs[0].kind == "command-log");
        CHECK(taken[0].logs[0].file == "c.log");
        CHECK(taken[0].logs[0].records == std::vector<std::string>{"a\n"});
        CHECK(taken[0].logs[1].records == std::vector<std::string>{"z"});
        REQUIRE(taken[1].logs.size() == 1);
        CHECK(taken[1].logs[0].file == "j1.csv");
        CHECK(taken[1].logs[0].records == std::vector<std::string>{"b\n", "c"});
        REQUIRE(taken[2].logs.size() == 1);
        CHECK(taken[2].logs[0].file == "j2.csv");
        CHECK(taken[2].logs[0].since == 5);
        CHECK(taken[2].logs[0].lost == 2);
        CHECK(taken[2].logs[0].records == std::vector<std::string>{"a\n", "b\n"});
        // Held while its records wait: still there, and no other start takes it.
        CHECK(fileExists(folder + "\\8.spool"));
        CHECK(takeSpools({"journal"}).empty());
    }
    std::vector<std::string> expectAside;
    for (const Row& r : rows) {
        CAPTURE(r.name);
        const std::string path = folder + "\\" + r.name + ".spool";
        CHECK_FALSE(fileExists(path));
        CHECK(fileExists(path + ".bad") == !r.taken);
        if (!r.taken) {
            CHECK(readFile(path + ".bad") == r.bytes);
            expectAside.push_back(path + ".bad");
        }
    }
    std::sort(setAside.begin(), setAside.end());
    CHECK(setAside == expectAside);
    // What is written is read back the same; a file kept stays for later.
    SpooledLog log;
    log.kind = "journal";
    log.file = "\\\\server\\j\\PC.csv";
    log.since = 132000000000000000ull;
    log.lost = 3;
    log.records = {std::string("x\0y\n", 4), "z\n"};
    REQUIRE(spoolLogs({log}));
    REQUIRE(spoolLogs({log})); // twice in one tick: two files
    {
        std::vector<TakenSpool> taken = takeSpools({"journal"});
        REQUIRE(taken.size() == 2);
        taken[0].file->keep();
    }
    const std::vector<SpooledLog> again = takeSpooledLogs({"journal"});
    REQUIRE(again.size() == 1);
    CHECK(again[0].file == log.file);
    CHECK(again[0].since == log.since);
    CHECK(again[0].lost == 3);
    CHECK(again[0].records == log.records);
    CHECK(takeSpooledLogs({"journal"}).empty());
}
