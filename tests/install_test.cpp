// TarnelSetup.exe and tarnelcfg.exe as a CAD manager uses them: silent
// installs with presets, the host loading the module at start-up, upgrades,
// the lock, and the silent uninstall.
#include <doctest.h>
#include <windows.h>
#include "cadhost.h"
#include "settings/guardsettings.h"
#include "settings/settingsformat.h"
#include "testkit.h"

using namespace testkit;

namespace {

const char kRelease[] = "Software\\Autodesk\\AutoCAD\\R15.0";
const char kVertical[] = "ACAD-5:409";
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnel";

bool keyExists(const std::string& key) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

DWORD machineDword(const std::string& key, const char* name) {
    DWORD value = 0, size = sizeof value;
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return 0;
    RegQueryValueExA(k, name, nullptr, nullptr, (LPBYTE)&value, &size);
    RegCloseKey(k);
    return value;
}

void createKey(const std::string& key) {
    HKEY k;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                        nullptr) == ERROR_SUCCESS)
        RegCloseKey(k);
}

void deleteKeyTree(HKEY root, const std::string& key) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    char name[256];
    for (;;) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(k, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        deleteKeyTree(k, name);
    }
    RegCloseKey(k);
    RegDeleteKeyA(root, key.c_str());
}

// Two AutoCAD installations on the seat, and nothing of ours left behind
// by the test, whichever way it ends.
struct Seat {
    Seat() {
        clean();
        createKey(std::string(kRelease) + "\\ACAD-1:409");
        createKey(std::string(kRelease) + "\\" + kVertical);
    }
    ~Seat() { clean(); }
    static void clean() {
        for (const char* product : {"ACAD-1:409", kVertical})
            deleteKeyTree(HKEY_LOCAL_MACHINE,
                          std::string(kRelease) + "\\" + product + "\\Applications\\Tarnel");
        deleteKeyTree(HKEY_LOCAL_MACHINE, std::string(kRelease) + "\\" + kVertical);
        deleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Tarnel");
        deleteKeyTree(HKEY_LOCAL_MACHINE, kUninstall);
    }
};

std::string setup() {
    return "\"" + binDir() + "\\TarnelSetup.exe\" /S ";
}

int install(const std::string& options, const std::string& dir) {
    return run(setup() + options + " /D=" + dir, 60000, binDir().c_str());
}

std::string cfgOf(const std::string& dir) {
    return dir + "\\tarnel.cfg";
}

// The plain lines of a settings file, decoded with the file format's rules.
std::vector<std::string> plainLines(const std::string& path) {
    return settingsformat::fileLines(readFile(path));
}

int tarnelcfg(const std::string& args) {
    return run("\"" + binDir() + "\\tarnelcfg.exe\" " + args, 30000, binDir().c_str());
}

bool gone(const std::string& path, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 100) {
        if (!fileExists(path)) return true;
        Sleep(100);
    }
    return false;
}

} // namespace

TEST_CASE("a silent install with presets: files, settings, registry, and the host loads it") {
    Seat seat;
    std::string dir = freshDir("install-presets");
    RemoveDirectoryA(dir.c_str());
    REQUIRE(install("/TIMEOUT=5 /COUNTDOWN=20 /ACTION=1 /ALLOWDISABLE=1 /LOGGING=0 "
                    "/LOGNAMING=0 /LOGDIR=C:\\logs /PASSWORD=secret7 /COUNTINPUT=1 "
                    "/CANCELWAITING=1 /JOURNAL=\\\\server\\cadlogs\\journal /DRYRUN=1",
                    dir) == 0);
    for (const char* f : {"tarnel15.arx", "TarnelRes.dll", "tarnel.chm", "tarnelcfg.exe",
                          "tarnelreport.exe",
                          "uninst.exe", "tarnel.cfg"})
        CHECK_MESSAGE(fileExists(dir + "\\" + f), f);
    CHECK(plainLines(cfgOf(dir)) ==
          std::vector<std::string>{"Protection:1", "Password:secret7", "TimeInactivity:5",
                                   "TimeCountdown:20", "Action:1", "AllowDisable:1",
                                   "EnableLogging:0", "LogfilenameType:0", "Logfilepath:C:\\logs",
                                   "CountInput:1", "CancelWaiting:1",
                                   "Journalpath:\\\\server\\cadlogs\\journal", "DryRun:1"});
    for (const char* product : {"ACAD-1:409", kVertical}) {
        CAPTURE(product);
        std::string app = std::string(kRelease) + "\\" + product + "\\Applications\\Tarnel";
        CHECK(machineDword(app, "LOADCTRLS") == 2);
        CHECK(registryString(app, "REGPATH", HKEY_LOCAL_MACHINE) ==
              "\\\\HKEY_LOCAL_MACHINE\\Software\\Tarnel\\Tarnel");
    }
    CHECK(registryString("Software\\Tarnel\\Tarnel\\Loader", "MODULE", HKEY_LOCAL_MACHINE) ==
          dir + "\\tarnel15.arx");
    CHECK(registryString(kUninstall, "DisplayVersion", HKEY_LOCAL_MACHINE) == "1.5.0.0");
    CHECK(registryString(kUninstall, "Publisher", HKEY_LOCAL_MACHINE) == "Tarnel");
    CHECK(registryString(kUninstall, "DisplayName", HKEY_LOCAL_MACHINE) == "Tarnel 1.5.0.0");
    CHECK(registryString(kUninstall, "UninstallString", HKEY_LOCAL_MACHINE) ==
          "\"" + dir + "\\uninst.exe\"");
    CHECK(registryString(kUninstall, "QuietUninstallString", HKEY_LOCAL_MACHINE) ==
          "\"" + dir + "\\uninst.exe\" /S");

    // The host loads the module at start-up, without /ld.
    std::string work = freshDir("install-host");
    writeFile(work + "\\q.scr", "QUIT\n");
    CHECK(run("\"" + binDir() + "\\cadhost.exe\" /transcript \"" + work +
                  "\\t.txt\" /timeout 30 /b q.scr",
              60000, work.c_str()) == 0);
    std::string t = readFile(work + "\\t.txt");
    CHECK(t.find("module loaded tarnel15.arx") != std::string::npos);
    CHECK(t.find("command registered TARNEL_OPT in Tarnel_Commands") != std::string::npos);
    CHECK(t.find("fault") == std::string::npos);

    // The silent uninstall: no file and no key of ours.
    CHECK(run("\"" + dir + "\\uninst.exe\" /S", 60000, work.c_str()) == 0);
    CHECK(gone(dir + "\\uninst.exe", 10000));
    for (const char* f :
         {"tarnel15.arx", "TarnelRes.dll", "tarnel.chm", "tarnelcfg.exe", "tarnelreport.exe",
          "tarnel.cfg"})
        CHECK_FALSE(fileExists(dir + "\\" + f));
    CHECK_FALSE(keyExists("Software\\Tarnel"));
    CHECK_FALSE(keyExists(kUninstall));
    for (const char* product : {"ACAD-1:409", kVertical})
        CHECK_FALSE(keyExists(std::string(kRelease) + "\\" + product + "\\Applications\\Tarnel"));
}

TEST_CASE("a bad preset or no AutoCAD stops the install before anything changes") {
    Seat seat;
    std::string dir = freshDir("install-bad");
    RemoveDirectoryA(dir.c_str());
    CHECK(install("/TIMEOUT=0", dir) == 2);
    CHECK(install("/ACTION=3", dir) == 2);
    CHECK(install("/LOGNAMING=x", dir) == 2);
    CHECK(install("/PRODUCTKEY=ACAD-9:409", dir) == 3);
    CHECK_FALSE(fileExists(dir));
    CHECK_FALSE(keyExists("Software\\Tarnel"));
    CHECK_FALSE(keyExists(kUninstall));
}

TEST_CASE("one product key on request; an upgrade keeps the settings; the lock holds") {
    Seat seat;
    std::string dir = freshDir("install-upgrade");
    REQUIRE(install("/PRODUCTKEY=ACAD-1:409 /TIMEOUT=7", dir) == 0);
    CHECK(keyExists(std::string(kRelease) + "\\ACAD-1:409\\Applications\\Tarnel"));
    CHECK_FALSE(keyExists(std::string(kRelease) + "\\" + kVertical + "\\Applications\\Tarnel"));
    const std::string first = readFile(cfgOf(dir));
    REQUIRE(install("/PRODUCTKEY=ACAD-1:409", dir) == 0); // no presets: the file stays
    CHECK(readFile(cfgOf(dir)) == first);
    REQUIRE(install("/PRODUCTKEY=ACAD-1:409 /COUNTDOWN=45 /LOCK", dir) == 0);
    CHECK((GetFileAttributesA(cfgOf(dir).c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
    const std::string locked = readFile(cfgOf(dir));
    CHECK(plainLines(cfgOf(dir))[3] == "TimeCountdown:45");
    CHECK(plainLines(cfgOf(dir))[2] == "TimeInactivity:7"); // presets add to the old file
    // A host session loads and unloads the module; the preset stays as it is.
    std::string work = freshDir("install-lock-host");
    writeFile(work + "\\q.scr", "QUIT\n");
    CHECK(run("\"" + binDir() + "\\cadhost.exe\" /timeout 30 /b q.scr", 60000, work.c_str()) == 0);
    CHECK(readFile(cfgOf(dir)) == locked);
    CHECK(run("\"" + dir + "\\uninst.exe\" /S", 60000, work.c_str()) == 0);
    CHECK(gone(cfgOf(dir), 10000));
}

TEST_CASE("tarnelcfg shows, sets, checks and refuses") {
    std::string dir = freshDir("tarnelcfg");
    std::string file = dir + "\\tarnel.cfg";
    CHECK(tarnelcfg("new \"" + file + "\"") == 0);
    CHECK(plainLines(file).size() == 9);
    CHECK(plainLines(file)[8].rfind("Logfilepath:", 0) == 0);
    CHECK(tarnelcfg("set \"" + file +
                    "\" TimeInactivity=120 timecountdown=1 Action=0 AllowDisable=1 "
                    "EnableLogging=0 LogfilenameType=0 \"Logfilepath=D:\\cad logs\" "
                    "Protection=1 Password=abc:def CountInput=1") == 0);
    GuardSettings back(dir + "\\scratch.cfg");
    REQUIRE(back.load(file));
    CHECK(back.getTimeInactivity() == 120);
    CHECK(back.getTimeCountdown() == 1);
    CHECK(back.getAction() == 0);
    CHECK(back.getAllowDisable());
    CHECK_FALSE(back.getEnableLogging());
    CHECK(back.getLogfilenameType() == 0);
    CHECK(back.getLogfilepath() == "D:\\cad logs");
    CHECK(back.getProtection());
    CHECK(back.getPassword() == "abc:def");
    CHECK(back.getCountInput());
    const std::string before = readFile(file);
    for (const char* bad : {"TimeInactivity=0", "TimeInactivity=121", "TimeCountdown=61",
                            "Action=3", "LogfilenameType=2", "Protection=2", "Nonsense=1",
                            "TimeCountdown=ten", "CountInput=2", "CountInput=on"}) {
        CAPTURE(bad);
        CHECK(tarnelcfg("set \"" + file + "\" Action=1 " + bad) == 2);
        CHECK(readFile(file) == before);
    }
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    CHECK(tarnelcfg("set \"" + file + "\" Action=1") == 1);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    CHECK(readFile(file) == before);
    CHECK(tarnelcfg("check TimeInactivity=30 Action=2") == 0);
    CHECK(tarnelcfg("check TimeInactivity=300") == 2);
    CHECK(tarnelcfg("show \"" + dir + "\\missing.cfg\"") == 2);
}

TEST_CASE("tarnelcfg reads a file the module wrote, the password only when asked") {
    std::string dir = freshDir("tarnelcfg-show");
    {
        GuardSettings module(dir + "\\tarnel.cfg"); // written when it goes, as at unload
        module.setPassword("hush-hush");
        module.setTimeInactivity(42);
        module.setLogfilepath("E:\\logs");
        module.setCountInput(true);
    }
    auto show = [&](const std::string& extra) {
        std::string out = dir + "\\shown.txt";
        DeleteFileA(out.c_str());
        run("cmd.exe /c \"\"" + binDir() + "\\tarnelcfg.exe\" show \"" + dir + "\\tarnel.cfg\" " +
                extra + " > \"" + out + "\"\"",
            30000, dir.c_str());
        return lines(readFile(out));
    };
    std::vector<std::string> hidden = show("");
    REQUIRE(hidden.size() == 13);
    CHECK(hidden[1] == "Password: (hidden)");
    CHECK(hidden[2] == "TimeInactivity: 42");
    CHECK(hidden[8] == "Logfilepath: E:\\logs");
    CHECK(hidden[9] == "CountInput: 1");
    CHECK(hidden[10] == "CancelWaiting: 0");
    CHECK(hidden[11] == "Journalpath: ");
    CHECK(hidden[12] == "DryRun: 0");
    CHECK(show("--show-password")[1] == "Password: hush-hush");
}

TEST_CASE("a start-up module that cannot be loaded gets a line and the host goes on") {
    Seat seat;
    const std::string app = std::string(kRelease) + "\\ACAD-1:409\\Applications\\Tarnel";
    createKey(app);
    HKEY k;
    REQUIRE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, app.c_str(), 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS);
    DWORD controls = 2;
    RegSetValueExA(k, "LOADCTRLS", 0, REG_DWORD, (const BYTE*)&controls, sizeof controls);
    const char regPath[] = "\\\\HKEY_LOCAL_MACHINE\\Software\\Tarnel\\Tarnel";
    RegSetValueExA(k, "REGPATH", 0, REG_SZ, (const BYTE*)regPath, sizeof regPath);
    RegCloseKey(k);
    createKey("Software\\Tarnel\\Tarnel\\Loader");
    REQUIRE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tarnel\\Tarnel\\Loader", 0, KEY_ALL_ACCESS,
                          &k) == ERROR_SUCCESS);
    const char missing[] = "C:\\nowhere\\tarnel15.arx";
    RegSetValueExA(k, "MODULE", 0, REG_SZ, (const BYTE*)missing, sizeof missing);
    RegCloseKey(k);
    std::string work = freshDir("install-missing");
    writeFile(work + "\\q.scr", "NEW\nQUIT\n");
    CHECK(run("\"" + binDir() + "\\cadhost.exe\" /transcript \"" + work +
                  "\\t.txt\" /timeout 30 /b q.scr",
              60000, work.c_str()) == 0);
    std::string t = readFile(work + "\\t.txt");
    CHECK(t.find("print Unable to load C:\\nowhere\\tarnel15.arx") != std::string::npos);
    CHECK(t.find("document created Drawing1.dwg") != std::string::npos);
}
