// TarnelSetup.exe, Tarnel.msi and tarnelcfg.exe as a CAD manager uses them:
// silent installs with presets, the host loading the module at start-up,
// upgrades, the lock, and the silent uninstall.
#include <doctest.h>
#include "textchecks.h"
#include <windows.h>
#include <msi.h>
#include <map>
#include "cadhost.h"
#include "installer/presets.h"
#include "installer/registration.h"
#include "settings/guardsettings.h"
#include "settings/settingsformat.h"
#include "policykeys.h"
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

const char kUpgradeCode[] = "{6B0E4C1A-2F57-4D0B-9C1E-5A3B7D2E9F10}";

// The product codes of every Tarnel package installed.
std::vector<std::string> installedPackages() {
    std::vector<std::string> codes;
    char code[39];
    for (DWORD i = 0; MsiEnumRelatedProductsA(kUpgradeCode, 0, i, code) == ERROR_SUCCESS; ++i)
        codes.push_back(code);
    return codes;
}

// Every Tarnel package, also one a broken upgrade left without its record
// under the upgrade code.
void removePackages() {
    char code[39];
    std::vector<std::string> codes;
    for (DWORD i = 0; MsiEnumProductsA(i, code) == ERROR_SUCCESS; ++i) {
        char name[64] = {};
        DWORD size = sizeof name;
        if (MsiGetProductInfoA(code, INSTALLPROPERTY_PRODUCTNAME, name, &size) == ERROR_SUCCESS &&
            std::string(name) == "Tarnel")
            codes.push_back(code);
    }
    for (const std::string& c : codes)
        run("msiexec /x " + c + " /qn", 120000);
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
        removePackages();
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

// msiexec on a package, silent, with its log; the exit status.
int msiexec(const std::string& verb, const std::string& package, const std::string& properties,
            const std::string& log) {
    return run("msiexec " + verb + " \"" + package + "\" /qn /l*v \"" + log + "\" " + properties,
               180000);
}

std::string package() {
    return binDir() + "\\Tarnel.msi";
}

// Every preset, and what tarnel.cfg holds after it.
const char kAllPresets[] = "TIMEOUT=5 COUNTDOWN=20 ACTION=1 ALLOWDISABLE=1 LOGGING=0 LOGNAMING=0 "
                           "LOGDIR=C:\\windows\\temp PASSWORD=secret7 COUNTINPUT=1 CANCELWAITING=1 "
                           "JOURNAL=%USERPROFILE%\\cadlogs\\journal DRYRUN=1 "
                           "LICENSESERVER=27000@lic1;27000@lic2 LICENSEFEATURE=ACAD_2002 "
                           "LICENSEFREE=3 LICENSERECHECK=10 LICENSETOOL=C:\\flexlm\\lmutil.exe";
const std::vector<std::string> kAllPresetLines = {
    "Protection:1",     "Password:secret7",  "TimeInactivity:5",
    "TimeCountdown:20", "Action:1",          "AllowDisable:1",
    "EnableLogging:0",  "LogfilenameType:0", "Logfilepath:C:\\windows\\temp",
    "CountInput:1",     "CancelWaiting:1",   "Journalpath:%USERPROFILE%\\cadlogs\\journal",
    "DryRun:1",         "LicenseServer:27000@lic1;27000@lic2",
    "LicenseFeature:ACAD_2002",                "LicenseFree:3",
    "LicenseRecheck:10",                       "LicenseTool:C:\\flexlm\\lmutil.exe"};

std::string withSlashes(std::string presets) {
    for (size_t at = 0; (at = presets.find(' ', at)) != std::string::npos; at += 2)
        presets.replace(at, 1, " /");
    return "/" + presets;
}

void checkRegistered(const std::string& dir) {
    for (const char* product : {"ACAD-1:409", kVertical}) {
        CAPTURE(product);
        std::string app = std::string(kRelease) + "\\" + product + "\\Applications\\Tarnel";
        CHECK(machineDword(app, "LOADCTRLS") == 2);
        CHECK(registryString(app, "REGPATH", HKEY_LOCAL_MACHINE) ==
              "\\\\HKEY_LOCAL_MACHINE\\Software\\Tarnel\\Tarnel");
    }
    CHECK(registryString("Software\\Tarnel\\Tarnel\\Loader", "MODULE", HKEY_LOCAL_MACHINE) ==
          dir + "\\tarnel15.arx");
}

void checkNothingRegistered() {
    CHECK_FALSE(keyExists("Software\\Tarnel"));
    for (const char* product : {"ACAD-1:409", kVertical})
        CHECK_FALSE(keyExists(std::string(kRelease) + "\\" + product + "\\Applications\\Tarnel"));
}

// The host started without /ld on a script: its transcript, after a
// check that it ended well.
std::string hostTranscript(const std::string& name, const std::string& script) {
    std::string work = freshDir(name);
    writeFile(work + "\\q.scr", script);
    CHECK(run("\"" + binDir() + "\\cadhost.exe\" /transcript \"" + work +
                  "\\t.txt\" /timeout 30 /b q.scr",
              60000, work.c_str()) == 0);
    return readFile(work + "\\t.txt");
}

// The host loads the module from the registration.
void checkHostLoadsModule(const std::string& name) {
    std::string t = hostTranscript(name, "QUIT\n");
    CHECK_CONTAINS(t, "module loaded tarnel15.arx");
    CHECK_CONTAINS(t, "command registered TARNEL_OPT in Tarnel_Commands");
    CHECK_LACKS(t, "fault");
}

const char* const kShipped[] = {"tarnel15.arx",
                                "TarnelCore.dll",
                                "TarnelRes.dll",
                                "tarnel.chm",
                                "tarnelcfg.exe",
                                "tarnelreport.exe",
                                "policy\\Tarnel.admx",
                                "policy\\en-US\\Tarnel.adml"};

// The files that carry a version resource, and their version.
const char* const kVersioned[] = {"tarnel15.arx", "TarnelCore.dll", "TarnelRes.dll",
                                  "tarnelcfg.exe", "tarnelreport.exe"};

std::string fileVersion(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return "(none)";
    std::vector<char> info(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path.c_str(), 0, size, info.data()) ||
        !VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return "(unreadable)";
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionLS));
}

// The files a later test package carries: the build's with its version.
std::string packageFiles(const char* version) {
    return binDir() + "\\..\\test-packages\\" + version + "\\files";
}

// Each versioned file in the folder is the one of that version's package.
void checkFilesOf(const std::string& dir, const char* version, const std::string& files) {
    for (const char* f : kVersioned) {
        CAPTURE(f);
        CHECK(fileVersion(dir + "\\" + f) == std::string(version) + ".0");
        const bool same = readFile(dir + "\\" + f) == readFile(files + "\\" + f);
        CHECK_MESSAGE(same, "the installed file differs from " << files);
    }
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
    REQUIRE(install(withSlashes(kAllPresets), dir) == 0);
    for (const char* f : kShipped)
        CHECK_MESSAGE(fileExists(dir + "\\" + f), f);
    CHECK(fileExists(dir + "\\uninst.exe"));
    CHECK(plainLines(cfgOf(dir)) == kAllPresetLines);
    checkRegistered(dir);
    CHECK(registryString(kUninstall, "DisplayVersion", HKEY_LOCAL_MACHINE) == "1.5.0.0");
    CHECK(registryString(kUninstall, "Publisher", HKEY_LOCAL_MACHINE) == "Tarnel");
    CHECK(registryString(kUninstall, "DisplayName", HKEY_LOCAL_MACHINE) == "Tarnel 1.5.0.0");
    CHECK(registryString(kUninstall, "UninstallString", HKEY_LOCAL_MACHINE) ==
          "\"" + dir + "\\uninst.exe\"");
    CHECK(registryString(kUninstall, "QuietUninstallString", HKEY_LOCAL_MACHINE) ==
          "\"" + dir + "\\uninst.exe\" /S");

    // The host loads the module at start-up, without /ld.
    checkHostLoadsModule("install-host");
    std::string work = freshDir("install-uninstall");

    // The silent uninstall: no file and no key of ours.
    CHECK(run("\"" + dir + "\\uninst.exe\" /S", 60000, work.c_str()) == 0);
    CHECK(gone(dir + "\\uninst.exe", 10000));
    for (const char* f : kShipped)
        CHECK_FALSE(fileExists(dir + "\\" + f));
    CHECK_FALSE(fileExists(cfgOf(dir)));
    CHECK_FALSE(keyExists(kUninstall));
    checkNothingRegistered();
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
    REQUIRE(CreateDirectoryA((dir + "\\cad logs").c_str(), nullptr));
    CHECK(tarnelcfg("new \"" + file + "\"") == 0);
    CHECK(plainLines(file).size() == 9);
    CHECK_STARTS(plainLines(file)[8], "Logfilepath:");
    CHECK(tarnelcfg("set \"" + file +
                    "\" TimeInactivity=120 timecountdown=1 Action=0 AllowDisable=1 "
                    "EnableLogging=0 LogfilenameType=0 \"Logfilepath=" + dir + "\\cad logs\" "
                    "Protection=1 Password=abc:def CountInput=1") == 0);
    GuardSettings back(dir + "\\scratch.cfg");
    REQUIRE(back.load(file));
    CHECK(back.getTimeInactivity() == 120);
    CHECK(back.getTimeCountdown() == 1);
    CHECK(back.getAction() == 0);
    CHECK(back.getAllowDisable());
    CHECK_FALSE(back.getEnableLogging());
    CHECK(back.getLogfilenameType() == 0);
    CHECK(back.getLogfilepath() == dir + "\\cad logs");
    CHECK(back.getProtection());
    CHECK(back.getPassword() == "abc:def");
    CHECK(back.getCountInput());
    const std::string before = readFile(file);
    for (const char* bad : {"TimeInactivity=0", "TimeInactivity=121", "TimeCountdown=61",
                            "Action=3", "LogfilenameType=2", "Protection=2", "Nonsense=1",
                            "TimeCountdown=ten", "CountInput=2", "CountInput=on",
                            "Logfilepath=Z:\\no\\such", "\"Journalpath=C:\\windows\\win.ini\""}) {
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
    // Folders as people write them; a folder with a variable is another
    // folder for every user, checked when the seat uses it.
    CHECK(tarnelcfg("check Logfilepath=C:/windows/temp/ \"Journalpath=C:\\windows\\temp\\\\\"") == 0);
    CHECK(tarnelcfg("check Logfilepath=%USERPROFILE%\\cad") == 0);
    // No room for a 20-character user's log name, unless the log is tarnel.log.
    const std::string deep = dir + "\\" + std::string(222 - dir.size() - 1, 'd');
    CHECK(tarnelcfg("check \"Logfilepath=" + deep + "\" LogfilenameType=1") == 2);
    CHECK(tarnelcfg("check \"Logfilepath=" + deep + "\" LogfilenameType=0") == 2); // not there
    REQUIRE(deep.size() == 222);
    REQUIRE(CreateDirectoryA(deep.c_str(), nullptr));
    CHECK(tarnelcfg("check \"Logfilepath=" + deep + "\" LogfilenameType=0") == 0);
    CHECK(tarnelcfg("check \"Logfilepath=" + deep + "\" LogfilenameType=1") == 2);
    // The settings file is saved through a longer name beside it.
    const std::string tight = dir + "\\" + std::string(259 - 16 - dir.size() - 1, 'f');
    REQUIRE(tight.size() == 243);
    CHECK(tarnelcfg("new \"" + tight + "\"") == 0);
    CHECK(tarnelcfg("new \"" + tight + "x\"") == 2);
    CHECK(GetFileAttributesA((tight + "x").c_str()) == INVALID_FILE_ATTRIBUTES);
    CHECK(tarnelcfg("show \"" + dir + "\\missing.cfg\"") == 2);
    {
        // No temporary folder for its scratch file: a clear refusal.
        EnvironmentSetting tmp("TMP", dir + "\\gone"), temp("TEMP", dir + "\\gone");
        CHECK(tarnelcfg("set \"" + file + "\" Action=0") == 1);
        CHECK(tarnelcfg("show \"" + file + "\"") == 1);
    }
    CHECK(readFile(file) == before);
}

namespace {
// Latin-1 text as little-endian UTF-16, each character one unit.
std::string utf16le(const std::string& latin1) {
    std::string out;
    for (char c : latin1) {
        out += c;
        out += '\0';
    }
    return out;
}
} // namespace

TEST_CASE("a presets file as Notepad saves it: any line end, UTF-8 or UTF-16 with its mark") {
    struct Case {
        const char* name;
        std::string bytes;
        std::string read; // NAME=value; each, or the fault
    };
    const Case cases[] = {
        {"CR alone", "TIMEOUT=20\rACTION=0\r", "TIMEOUT=20;ACTION=0;"},
        {"mixed", "# c\r\nTIMEOUT=20\nACTION=0\rLOCK=1", "TIMEOUT=20;ACTION=0;LOCK=1;"},
        {"CR alone, the faulty line named", "TIMEOUT=20\r# x\rACTION 0\r",
         "tarnel-presets.txt line 3 is not NAME=value: \"ACTION 0\""},
        {"UTF-16 LE", "\xFF\xFE" + utf16le("TIMEOUT=20\r\nLOGDIR=C:\\M\xFCller\r\n"),
         "TIMEOUT=20;LOGDIR=C:\\M\xC3\xBCller;"},
        {"UTF-16 BE", "\xFE\xFF" + std::string("\0T\0=\0\x31", 6),
         "tarnel-presets.txt is in big-endian UTF-16: save it as ANSI, UTF-8 or Unicode (UTF-16 "
         "LE)"},
        {"UTF-16 without its mark", utf16le("TIMEOUT=20\r\n"),
         "tarnel-presets.txt line 1 holds a zero byte: save the file as ANSI, UTF-8 or Unicode"},
    };
    for (const Case& c : cases) {
        const std::string name = c.name;
        CAPTURE(name);
        std::vector<presets::Entry> entries;
        std::string fault, read;
        if (presets::parseFile(c.bytes, entries, fault))
            for (const presets::Entry& e : entries)
                read += e.name + "=" + e.value + ";";
        else
            read = fault;
        CHECK(read == c.read);
    }
}

TEST_CASE("a registration that fails says why, in Windows' words") {
    Seat seat;
    // A stable key cannot be made under a volatile one.
    HKEY vendor = nullptr;
    REQUIRE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tarnel", 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &vendor, nullptr) == ERROR_SUCCESS);
    RegCloseKey(vendor);
    const std::string fault = registration::registerModule(freshDir("register-fails"));
    const std::string said = "HKEY_LOCAL_MACHINE\\Software\\Tarnel\\Tarnel could not be written: ";
    CHECK_STARTS(fault, said);
    CHECK_CONTAINS(fault, "volatile");
    CHECK_LACKS(fault, "\n");
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
    REQUIRE(hidden.size() == 18);
    CHECK(hidden[1] == "Password: (hidden) (file)");
    CHECK(hidden[2] == "TimeInactivity: 42 (file)");
    CHECK(hidden[8] == "Logfilepath: E:\\logs (file)");
    CHECK(hidden[9] == "CountInput: 1 (file)");
    CHECK(hidden[10] == "CancelWaiting: 0 (default)");
    CHECK(hidden[11] == "Journalpath:  (default)");
    CHECK(hidden[12] == "DryRun: 0 (default)");
    CHECK(hidden[13] == "LicenseServer:  (default)");
    CHECK(hidden[15] == "LicenseFree: 1 (default)");
    CHECK(hidden[16] == "LicenseRecheck: 5 (default)");
    CHECK(show("--show-password")[1] == "Password: hush-hush (file)");
    // Under Group Policy: the values in effect, each policy's named.
    PolicyKeys policy;
    PolicyKeys::number(HKEY_LOCAL_MACHINE, "TimeInactivity", 15);
    PolicyKeys::text(HKEY_CURRENT_USER, "Journalpath", "\\\\srv\\j");
    std::vector<std::string> governed = show("");
    REQUIRE(governed.size() == 18);
    CHECK(governed[2] == "TimeInactivity: 15 (computer policy)");
    CHECK(governed[11] == "Journalpath: \\\\srv\\j (user policy)");
    CHECK(governed[3] == "TimeCountdown: 30 (file)");
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
    std::string t = hostTranscript("install-missing", "NEW\nQUIT\n");
    CHECK_CONTAINS(t, "print Unable to load C:\\nowhere\\tarnel15.arx");
    CHECK_CONTAINS(t, "document created Drawing1.dwg");
}

// ---- Tarnel.msi, under Wine's own msiexec ----

namespace {

// The setup program's presets as the package's properties: Windows Installer
// runs the action that ACTION names, so the package calls it CLOSEACTION.
std::string asProperties(std::string presets) {
    size_t at = presets.find(" ACTION=");
    if (at != std::string::npos) presets.replace(at, 8, " CLOSEACTION=");
    return presets;
}

bool logHas(const std::string& log, const std::string& text) {
    return readFile(log).find(text) != std::string::npos;
}

bool anyFileIn(const std::string& dir) {
    return fileExists(dir) && !filesIn(dir).empty();
}

// No package, no file and no key of ours; what users left in the folder stays.
void checkPackageGone(const std::string& dir) {
    for (const char* f : kShipped)
        CHECK_FALSE(fileExists(dir + "\\" + f));
    CHECK_FALSE(fileExists(cfgOf(dir)));
    CHECK(installedPackages().empty());
    checkNothingRegistered();
}

} // namespace

TEST_CASE("the package: properties, the host loads it, uninstall keeps only the users' logs") {
    Seat seat;
    std::string dir = freshDir("msi-presets");
    RemoveDirectoryA(dir.c_str());
    std::string logs = freshDir("msi-presets-logs");
    REQUIRE(msiexec("/i", package(),
                    "INSTALLDIR=\"" + dir + "\" LOCK=1 " + asProperties(kAllPresets),
                    logs + "\\install.log") == 0);
    for (const char* f : kShipped)
        CHECK_MESSAGE(fileExists(dir + "\\" + f), f);
    CHECK_FALSE(fileExists(dir + "\\tarnelca.dll")); // it runs from the package only
    CHECK(plainLines(cfgOf(dir)) == kAllPresetLines);
    CHECK((GetFileAttributesA(cfgOf(dir).c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
    checkRegistered(dir);
    CHECK(installedPackages().size() == 1);
    // The log names every preset taken, the password hidden.
    CHECK(logHas(logs + "\\install.log", "Tarnel: preset CLOSEACTION=1 from the command line"));
    CHECK(logHas(logs + "\\install.log", "Tarnel: preset PASSWORD=(hidden) from the command line"));

    checkHostLoadsModule("msi-host");

    // The package again: presets over the locked file keep the lock; LOCK=0 lifts it.
    REQUIRE(msiexec("/i", package(), "TIMEOUT=9", logs + "\\again.log") == 0);
    CHECK(plainLines(cfgOf(dir))[2] == "TimeInactivity:9");
    CHECK((GetFileAttributesA(cfgOf(dir).c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
    REQUIRE(msiexec("/i", package(), "LOCK=0", logs + "\\unlock.log") == 0);
    CHECK(plainLines(cfgOf(dir))[2] == "TimeInactivity:9");
    CHECK((GetFileAttributesA(cfgOf(dir).c_str()) & FILE_ATTRIBUTE_READONLY) == 0);

    // A repair brings back a lost file and the registration, and keeps the settings.
    const std::string settings = readFile(cfgOf(dir));
    REQUIRE(DeleteFileA((dir + "\\tarnel15.arx").c_str()));
    REQUIRE(tarnelcfg("unregister") == 0);
    REQUIRE(msiexec("/i", package(), "REINSTALL=ALL REINSTALLMODE=omus", logs + "\\repair.log") ==
            0);
    CHECK(fileExists(dir + "\\tarnel15.arx"));
    checkRegistered(dir);
    CHECK(readFile(cfgOf(dir)) == settings);

    // A user's command log and a journal kept in the folder stay.
    writeFile(dir + "\\tarnel.log", "a user's log\r\n");
    REQUIRE(msiexec("/x", package(), "", logs + "\\remove.log") == 0);
    checkPackageGone(dir);
    CHECK(readFile(dir + "\\tarnel.log") == "a user's log\r\n");
}

TEST_CASE("the package: the presets file beside it, a property over it, and bad presets") {
    Seat seat;
    std::string dir = freshDir("msi-file");
    RemoveDirectoryA(dir.c_str());
    // Group Policy's share: the package and the file beside it.
    std::string share = freshDir("msi-share");
    REQUIRE(CopyFileA(package().c_str(), (share + "\\Tarnel.msi").c_str(), FALSE));
    writeFile(share + "\\tarnel-presets.txt",
              "\xEF\xBB\xBF# third floor\r\n\r\nTIMEOUT=20\r\n COUNTDOWN = 40 \r\nACTION=0\r\n"
              "LOGDIR=\"" + share + "\\cad logs\"\r\nPASSWORD=pa\"ss\\\r\nJOURNAL=" + share +
                  "\\cad journal\\\r\n");
    REQUIRE(CreateDirectoryA((share + "\\cad logs").c_str(), nullptr));
    REQUIRE(CreateDirectoryA((share + "\\cad journal").c_str(), nullptr));
    REQUIRE(msiexec("/i", share + "\\Tarnel.msi", "INSTALLDIR=\"" + dir + "\" COUNTDOWN=50",
                    share + "\\install.log") == 0);
    std::vector<std::string> cfg = plainLines(cfgOf(dir));
    REQUIRE(cfg.size() == 10);
    CHECK(cfg[0] == "Protection:1");
    CHECK(cfg[1] == "Password:pa\"ss\\"); // quotes and backslashes arrive as written
    CHECK(cfg[2] == "TimeInactivity:20");
    CHECK(cfg[3] == "TimeCountdown:50"); // the command line wins
    CHECK(cfg[4] == "Action:0");
    CHECK(cfg[8] == "Logfilepath:" + share + "\\cad logs");
    CHECK(cfg[9] == "Journalpath:" + share + "\\cad journal\\");
    CHECK(logHas(share + "\\install.log", "Tarnel: preset TIMEOUT=20 from tarnel-presets.txt"));
    REQUIRE(msiexec("/x", share + "\\Tarnel.msi", "", share + "\\remove.log") == 0);
    CHECK_FALSE(anyFileIn(dir));

    // Each bad preset: status 1603, its reason in the log, nothing installed.
    struct Bad {
        const char* properties;
        const char* file;
        const char* logged;
    };
    const Bad bad[] = {
        {"TIMEOUT=0", "",
         "TIMEOUT: TimeInactivity must be a whole number from 1 to 120, not \"0\""},
        {"CLOSEACTION=3", "", "CLOSEACTION: Action must be a whole number from 0 to 2, not \"3\""},
        {"LOCK=yes", "", "LOCK must be 0 or 1, not \"yes\""},
        {"", "COUNTDOWN=90\r\n", "COUNTDOWN: TimeCountdown must be a whole number from 1 to 60"},
        {"", "TIMEOUTS=5\r\n", "tarnel-presets.txt names \"TIMEOUTS\", which is no preset"},
        {"", "TIMEOUT 5\r\n", "tarnel-presets.txt line 1 is not NAME=value"},
        {"PRODUCTKEY=ACAD-9:409", "", "no AutoCAD 2000-2002 product key ACAD-9:409 was found"},
        {"LOGDIR=Z:\\no\\such", "",
         "Logfilepath: the folder \"Z:\\no\\such\" does not exist"},
        {"", "JOURNAL=C:\\windows\\win.ini\r\n",
         "Journalpath: the folder \"C:\\windows\\win.ini\" is a file, not a folder"},
    };
    for (const Bad& b : bad) {
        CAPTURE(b.properties);
        CAPTURE(b.file);
        writeFile(share + "\\tarnel-presets.txt", b.file);
        std::string log = share + "\\bad.log";
        DeleteFileA(log.c_str());
        CHECK(msiexec("/i", share + "\\Tarnel.msi", "INSTALLDIR=\"" + dir + "\" " + b.properties,
                      log) == 1603);
        CHECK(logHas(log, std::string("Tarnel is not installed: ") + b.logged));
        CHECK_FALSE(anyFileIn(dir));
        checkPackageGone(dir);
    }
}

TEST_CASE("the package: an upgrade keeps the seat's settings, a downgrade is refused") {
    Seat seat;
    std::string dir = freshDir("msi-upgrade");
    RemoveDirectoryA(dir.c_str());
    std::string logs = freshDir("msi-upgrade-logs");
    REQUIRE(msiexec("/i", package(), "INSTALLDIR=\"" + dir + "\" TIMEOUT=7 PASSWORD=Geheim42x",
                    logs + "\\first.log") == 0);
    const std::vector<std::string> first = installedPackages();
    REQUIRE(first.size() == 1);
    // The seat changes its settings, as the options dialog does at OK.
    REQUIRE(tarnelcfg("set \"" + cfgOf(dir) + "\" TimeCountdown=44") == 0);
    const std::string seatFile = readFile(cfgOf(dir));

    const std::string later = binDir() + "\\..\\test-packages\\1.5.1\\Tarnel.msi";
    REQUIRE(msiexec("/i", later, "", logs + "\\upgrade.log") == 0);
    const std::vector<std::string> now = installedPackages();
    REQUIRE(now.size() == 1);
    CHECK(now[0] != first[0]);
    CHECK(readFile(cfgOf(dir)) == seatFile);
    for (const char* f : kShipped)
        CHECK_MESSAGE(fileExists(dir + "\\" + f), f);
    // Neither the password nor tarnel.cfg, which holds it, is in the
    // upgrade's verbose log, as it is or as a step's data would carry the
    // file (in hex). (The first install's log names PASSWORD: Wine's
    // installer does not hide MsiHiddenProperties; shipped_files checks
    // that the package lists it.)
    std::string hex;
    for (unsigned char c : seatFile)
        hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 15];
    CHECK_FALSE(logHas(logs + "\\upgrade.log", "Geheim42x"));
    CHECK_FALSE(logHas(logs + "\\upgrade.log", hex.substr(0, 24)));
    // Each file replaced by the later version's, which says so.
    checkFilesOf(dir, "1.5.1", packageFiles("1.5.1"));
    checkRegistered(dir);

    // The earlier package over the later one: refused, nothing changed.
    CHECK(msiexec("/i", package(), "", logs + "\\downgrade.log") == 1603);
    CHECK(installedPackages() == now);
    CHECK(readFile(cfgOf(dir)) == seatFile);
    checkRegistered(dir);

    // The next one into another folder: the settings, and the lock, go along.
    REQUIRE(SetFileAttributesA(cfgOf(dir).c_str(), FILE_ATTRIBUTE_READONLY));
    std::string moved = freshDir("msi-upgrade-moved");
    const std::string next = binDir() + "\\..\\test-packages\\1.5.2\\Tarnel.msi";
    REQUIRE(msiexec("/i", next, "INSTALLDIR=\"" + moved + "\" TIMEOUT=8", logs + "\\moved.log") ==
            0);
    CHECK_FALSE(anyFileIn(dir));
    std::vector<std::string> cfg = plainLines(cfgOf(moved));
    REQUIRE(cfg.size() == 9);
    CHECK(cfg[2] == "TimeInactivity:8");
    CHECK(cfg[3] == "TimeCountdown:44");
    CHECK((GetFileAttributesA(cfgOf(moved).c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
    checkFilesOf(moved, "1.5.2", packageFiles("1.5.2"));
    checkRegistered(moved);

    REQUIRE(msiexec("/x", next, "", logs + "\\remove.log") == 0);
    CHECK_FALSE(anyFileIn(moved));
    checkPackageGone(moved);
}

TEST_CASE("the package: a failed upgrade leaves the earlier version installed, registered and "
          "loading; an upgrade keeps to the product key chosen at install, also from a release that "
          "did not remember it") {
    Seat seat;
    std::string dir = freshDir("msi-failed-upgrade");
    RemoveDirectoryA(dir.c_str());
    std::string logs = freshDir("msi-failed-upgrade-logs");
    REQUIRE(msiexec("/i", package(), "INSTALLDIR=\"" + dir + "\" TIMEOUT=7 PRODUCTKEY=ACAD-1:409",
                    logs + "\\first.log") == 0);
    const std::vector<std::string> first = installedPackages();
    REQUIRE(tarnelcfg("set \"" + cfgOf(dir) + "\" TimeCountdown=44") == 0);
    const std::string seatFile = readFile(cfgOf(dir));
    std::map<std::string, std::string> shipped;
    for (const char* f : kShipped)
        shipped[f] = readFile(dir + "\\" + f);
    const std::string acad = std::string(kRelease) + "\\ACAD-1:409\\Applications\\Tarnel";
    const std::string vertical =
        std::string(kRelease) + "\\" + kVertical + "\\Applications\\Tarnel";
    // As a release that did not remember the product key left it: the entry
    // under the product key chosen, nothing else to say which.
    const auto forgetProductKey = [] {
        HKEY key;
        REQUIRE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tarnel\\Tarnel", 0, KEY_SET_VALUE,
                              &key) == ERROR_SUCCESS);
        CHECK(RegDeleteValueA(key, "PRODUCTKEY") == ERROR_SUCCESS);
        RegCloseKey(key);
    };
    forgetProductKey();

    // The later package's last step fails: everything as it was.
    const std::string failing = binDir() + "\\..\\test-packages\\1.5.1-fails\\Tarnel.msi";
    const int status = msiexec("/i", failing, "TIMEOUT=9", logs + "\\failed.log");
    CHECK(status != 0);
    CHECK(installedPackages() == first);
    for (const char* f : kShipped) {
        CAPTURE(f);
        CHECK(readFile(dir + "\\" + f) == shipped[f]);
    }
    checkFilesOf(dir, "1.5.0", binDir());
    CHECK(readFile(cfgOf(dir)) == seatFile);
    CHECK_FALSE(fileExists(dir + "\\~tarnel-undo"));
    CHECK(registryString("Software\\Tarnel\\Tarnel\\Loader", "MODULE", HKEY_LOCAL_MACHINE) ==
          dir + "\\tarnel15.arx");
    CHECK(keyExists(acad));
    CHECK_FALSE(keyExists(vertical));
    checkHostLoadsModule("msi-failed-host");

    // The later package that works, given no PRODUCTKEY: the one chosen at
    // install, found where the entry is.
    forgetProductKey();
    const std::string later = binDir() + "\\..\\test-packages\\1.5.1\\Tarnel.msi";
    REQUIRE(msiexec("/i", later, "", logs + "\\upgrade.log") == 0);
    CHECK(installedPackages().size() == 1);
    CHECK(installedPackages() != first);
    checkFilesOf(dir, "1.5.1", packageFiles("1.5.1"));
    CHECK(readFile(cfgOf(dir)) == seatFile);
    CHECK(keyExists(acad));
    CHECK_FALSE(keyExists(vertical));
    CHECK(registryString("Software\\Tarnel\\Tarnel", "PRODUCTKEY", HKEY_LOCAL_MACHINE) ==
          "ACAD-1:409");
    // "*": every AutoCAD again, and nothing remembered.
    REQUIRE(tarnelcfg("register \"" + dir + "\" *") == 0);
    CHECK(keyExists(vertical));
    CHECK(registryString("Software\\Tarnel\\Tarnel", "PRODUCTKEY", HKEY_LOCAL_MACHINE) == "(none)");
    REQUIRE(msiexec("/x", later, "", logs + "\\remove.log") == 0);
    checkPackageGone(dir);
}
