// The settings record and its scrambled file, checked on disk.
#include <doctest.h>
#include "textchecks.h"
#include <windows.h>
#include "common/faultpoint.h"
#include <shlobj.h>
#include <algorithm>
#include <cstdio>
#include "settings/foldercheck.h"
#include "settings/guardsettings.h"
#include "settings/settingsformat.h"
#include "policykeys.h"
#include "testkit.h"

using namespace testkit;

namespace {

std::string scrambled(std::string line) {
    settingsformat::scramble(line);
    return line;
}

// A settings file made of the given plain lines, scrambled as the module writes them.
std::string settingsFile(const std::string& dir, const std::vector<std::string>& plain) {
    std::string bytes;
    for (const std::string& l : plain)
        bytes += scrambled(l) + "\r\n";
    std::string path = dir + "\\tarnel.cfg";
    writeFile(path, bytes);
    return path;
}

std::string tempFolderDefault() {
    char buf[MAX_PATH];
    GetTempPathA(MAX_PATH, buf);
    std::string s(buf);
    return s.substr(0, s.rfind('\\'));
}

} // namespace

TEST_CASE("defaults apply without a settings file, and the first unload creates it") {
    std::string dir = freshDir("settings-defaults");
    std::string path = dir + "\\tarnel.cfg";
    {
        GuardSettings s(path);
        CHECK(s.getTimeInactivity() == 10);
        CHECK(s.getTimeCountdown() == 30);
        CHECK(s.getAction() == 2);
        CHECK(s.getLogfilenameType() == 1);
        CHECK(s.getEnableLogging());
        CHECK_FALSE(s.getProtection());
        CHECK_FALSE(s.getAllowDisable());
        CHECK(s.getPassword().empty());
        CHECK(s.getLogfilepath() == tempFolderDefault());
        CHECK(s.getLogFileName().empty());
        CHECK_FALSE(s.getCountInput());
        CHECK_FALSE(fileExists(path));
    }
    std::string expected;
    for (const char* l : {"Protection:0", "Password:", "TimeInactivity:10", "TimeCountdown:30",
                          "Action:2", "AllowDisable:0", "EnableLogging:1", "LogfilenameType:1"})
        expected += scrambled(l) + "\r\n";
    expected += scrambled("Logfilepath:" + tempFolderDefault()) + "\r\n";
    // Nothing of a setting that was never used: the nine lines exactly.
    CHECK(readFile(path) == expected);
}

TEST_CASE("ranges are enforced by the loader only") {
    std::string dir = freshDir("settings-ranges");
    SUBCASE("out-of-range and non-numbers keep the previous value") {
        GuardSettings s(settingsFile(dir, {"TimeInactivity:0", "TimeCountdown:61", "Action:3",
                                           "LogfilenameType:2", "TimeInactivity:121",
                                           "TimeInactivity:soon", "TimeCountdown:0"}));
        CHECK(s.getTimeInactivity() == 10);
        CHECK(s.getTimeCountdown() == 30);
        CHECK(s.getAction() == 2);
        CHECK(s.getLogfilenameType() == 1);
    }
    SUBCASE("the bounds are accepted and a non-number reads as 0 where 0 is allowed") {
        GuardSettings s(
            settingsFile(dir, {"TimeInactivity:120", "TimeCountdown:1", "Action:x",
                               "LogfilenameType:0", "AllowDisable:7", "EnableLogging:no"}));
        CHECK(s.getTimeInactivity() == 120);
        CHECK(s.getTimeCountdown() == 1);
        CHECK(s.getAction() == 0);
        CHECK(s.getLogfilenameType() == 0);
        CHECK(s.getAllowDisable());
        CHECK_FALSE(s.getEnableLogging());
    }
    SUBCASE("a setter's out-of-range value is written, then skipped at the next load") {
        std::string path = dir + "\\tarnel.cfg";
        {
            GuardSettings s(path);
            s.setTimeInactivity(500);
            CHECK(s.getTimeInactivity() == 500);
            CHECK(s.save());
        }
        CHECK_CONTAINS(readFile(path), scrambled("TimeInactivity:500") + "\r\n");
        GuardSettings again(path);
        CHECK(again.getTimeInactivity() == 10);
    }
}

TEST_CASE("keys, colons, blanks and repeats") {
    std::string dir = freshDir("settings-lines");
    GuardSettings s(settingsFile(dir, {"  timeINACTIVITY  :  45 ", "no colon here", "Unknown:5",
                                       "Logfilepath: D:\\logs\\cad ", "Password:  s3cr:et  ",
                                       "Action:1", "Action:0", "Protection:1"}));
    CHECK(s.getTimeInactivity() == 45);
    CHECK(s.getLogfilepath() == "D:\\logs\\cad");
    CHECK(s.getPassword() == "s3cr:et");
    CHECK(s.getAction() == 0);
    CHECK(s.getProtection());
    CHECK(s.checkPassword("s3cr:et"));
    CHECK_FALSE(s.checkPassword("S3CR:ET"));
    CHECK_FALSE(s.checkPassword(""));
}

TEST_CASE("an unscrambled file matches no key") {
    std::string dir = freshDir("settings-plain");
    writeFile(dir + "\\tarnel.cfg", "TimeInactivity:20\r\nAction:0\r\nPassword:x\r\n");
    GuardSettings s(dir + "\\tarnel.cfg");
    CHECK(s.getTimeInactivity() == 10);
    CHECK(s.getAction() == 2);
    CHECK(s.getPassword().empty());
}

TEST_CASE("checkPassword without protection accepts anything") {
    std::string dir = freshDir("settings-password");
    GuardSettings s(dir + "\\tarnel.cfg");
    s.setPassword("abc");
    CHECK(s.checkPassword(""));
    CHECK(s.checkPassword("wrong"));
    s.setProtection(true);
    CHECK_FALSE(s.checkPassword(""));
    CHECK(s.checkPassword("abc"));
    s.setPassword("");
    CHECK(s.checkPassword(""));
}

TEST_CASE("a round trip keeps every field; the file shows no plain text") {
    std::string dir = freshDir("settings-roundtrip");
    std::string path = dir + "\\tarnel.cfg";
    {
        GuardSettings s(path);
        s.setProtection(true);
        s.setPassword("  Geheim 42  ");
        s.setTimeInactivity(7);
        s.setTimeCountdown(45);
        s.setAction(1);
        s.setAllowDisable(true);
        s.setEnableLogging(false);
        s.setLogfilenameType(0);
        s.setLogfilepath("C:\\cad\\logs");
        s.setCountInput(true);
    }
    std::string bytes = readFile(path);
    CHECK_LACKS(bytes, "Geheim");
    CHECK_LACKS(bytes, "Password");
    CHECK(lines(bytes).size() == 10);
    CHECK(bytes.size() >= 2);
    CHECK(bytes.substr(bytes.size() - 2) == "\r\n");
    CHECK_LACKS(bytes, '\0');
    CHECK_LACKS(bytes, '\x1A');
    GuardSettings back(path);
    CHECK(back.getProtection());
    CHECK(back.getPassword() == "Geheim 42");
    CHECK(back.getTimeInactivity() == 7);
    CHECK(back.getTimeCountdown() == 45);
    CHECK(back.getAction() == 1);
    CHECK(back.getAllowDisable());
    CHECK_FALSE(back.getEnableLogging());
    CHECK(back.getLogfilenameType() == 0);
    CHECK(back.getLogfilepath() == "C:\\cad\\logs");
    CHECK(back.getCountInput());
}

TEST_CASE("an added key is written only when not at its default, last") {
    std::string dir = freshDir("settings-countinput");
    SUBCASE("a file of nine lines leaves input uncounted") {
        GuardSettings s(
            settingsFile(dir, {"Protection:0", "Password:", "TimeInactivity:12", "TimeCountdown:30",
                               "Action:1", "AllowDisable:0", "EnableLogging:1", "LogfilenameType:1",
                               "Logfilepath:C:\\logs"}));
        CHECK(s.getTimeInactivity() == 12);
        CHECK_FALSE(s.getCountInput());
    }
    SUBCASE("any case, any non-zero number; CountInput:1 after the nine, gone when off") {
        std::string path = settingsFile(dir, {"countinput: 5", "Action:0"});
        {
            GuardSettings s(path);
            CHECK(s.getCountInput());
            CHECK(s.getAction() == 0);
        }
        std::vector<std::string> saved = lines(readFile(path));
        REQUIRE(saved.size() == 10);
        CHECK(saved[8] == scrambled("Logfilepath:" + tempFolderDefault()));
        CHECK(saved[9] == scrambled("CountInput:1"));
        {
            GuardSettings s(path);
            CHECK(s.getCountInput());
            s.setCountInput(false);
        }
        saved = lines(readFile(path));
        CHECK(saved.size() == 9);
        CHECK(saved.back() == scrambled("Logfilepath:" + tempFolderDefault()));
        CHECK_FALSE(GuardSettings(path).getCountInput());
        // Each added key has its own line, written alone when only it is on.
        {
            GuardSettings s(path);
            CHECK_FALSE(s.getCancelWaiting());
            s.setCancelWaiting(true);
        }
        saved = lines(readFile(path));
        REQUIRE(saved.size() == 10);
        CHECK(saved[9] == scrambled("CancelWaiting:1"));
        CHECK(GuardSettings(path).getCancelWaiting());
    }
    SUBCASE("CountInput:0 and a word both switch it off") {
        CHECK_FALSE(
            GuardSettings(settingsFile(dir, {"CountInput:1", "CountInput:0"})).getCountInput());
        CHECK_FALSE(GuardSettings(settingsFile(dir, {"CountInput:yes"})).getCountInput());
    }
}

TEST_CASE("a save that fails at any step leaves the previous file byte for byte") {
    std::string dir = freshDir("settings-failsave");
    std::string path = settingsFile(dir, {"TimeInactivity:15", "Password:old"});
    const std::string before = readFile(path);
    {
        GuardSettings s(path);
        s.setPassword("new");
        for (const char* call : {"CreateFileA", "WriteFile", "FlushFileBuffers", "MoveFileExA"}) {
            CAPTURE(call);
            faultpoint::Scope fault([call](const char* c) { return std::string(c) == call; });
            CHECK_FALSE(s.save());
            CHECK(readFile(path) == before);
            CHECK(filesIn(dir) == std::vector<std::string>{"tarnel.cfg"}); // no leftovers
        }
        CHECK(s.save());
        CHECK(filesIn(dir) == std::vector<std::string>{"tarnel.cfg"});
    }
    GuardSettings after(path);
    CHECK(after.getPassword() == "new");
    CHECK(after.getTimeInactivity() == 15);
}

TEST_CASE("a value holding a tab survives a save and a load, and so does every line after it") {
    std::string dir = freshDir("settings-tab");
    std::string path = dir + "\\tarnel.cfg";
    {
        GuardSettings s(path);
        s.setPassword("tab\there");
        s.setTimeInactivity(33);
        s.setLogfilepath("C:\\logs\\a\tb");
    }
    // The scrambled tab is the text-mode end-of-file mark.
    CHECK_CONTAINS(readFile(path), '\x1A');
    GuardSettings back(path);
    CHECK(back.getPassword() == "tab\there");
    CHECK(back.getTimeInactivity() == 33);
    CHECK(back.getLogfilepath() == "C:\\logs\\a\tb");
    // A file written by an earlier build (same mask, CR LF) still reads.
    path = settingsFile(dir, {"Password:kept", "TimeCountdown:12"});
    GuardSettings earlier(path);
    CHECK(earlier.getPassword() == "kept");
    CHECK(earlier.getTimeCountdown() == 12);
}

TEST_CASE("line ends: LF alone and CR alone read as CR LF does") {
    std::string dir = freshDir("settings-lineends");
    for (const char* end : {"\n", "\r"}) {
        CAPTURE(end == std::string("\r") ? "CR" : "LF");
        std::string bytes;
        for (const char* l : {"TimeInactivity:25", "Action:0", "Password:p w", "CountInput:1"})
            bytes += scrambled(l) + end;
        writeFile(dir + "\\tarnel.cfg", bytes);
        GuardSettings s(dir + "\\tarnel.cfg");
        CHECK(s.getTimeInactivity() == 25);
        CHECK(s.getAction() == 0);
        CHECK(s.getPassword() == "p w");
        CHECK(s.getCountInput());
    }
}

TEST_CASE("an empty log folder names the log in the temporary folder, not at a drive's root") {
    std::string dir = freshDir("settings-emptylogdir");
    GuardSettings s(settingsFile(dir, {"Logfilepath:", "LogfilenameType:0"}));
    CHECK(s.getLogfilepath().empty());
    s.buildLogFileName();
    CHECK(s.getLogFileName() == tempFolderDefault() + "\\tarnel.log");
}

TEST_CASE("a read-only settings file is not written; other attributes are kept") {
    std::string dir = freshDir("settings-attributes");
    std::string path = settingsFile(dir, {"TimeInactivity:15"});
    const std::string before = readFile(path);
    REQUIRE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        GuardSettings s(path);
        s.setTimeInactivity(99);
        CHECK_FALSE(s.save());
    } // the unload's save is refused too
    CHECK(readFile(path) == before);
    CHECK((GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
    CHECK(filesIn(dir) == std::vector<std::string>{"tarnel.cfg"});

    REQUIRE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    {
        GuardSettings s(path);
        s.setTimeInactivity(20);
        CHECK(s.save());
    }
    CHECK((GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0);
    CHECK(GuardSettings(path).getTimeInactivity() == 20);
}

TEST_CASE("the temporary file is the process's own") {
    std::string dir = freshDir("settings-tempname");
    std::string path = settingsFile(dir, {"TimeInactivity:15"});
    // Another seat writing the same shared folder holds its own new file.
    HANDLE other = CreateFileA((path + ".new").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(other != INVALID_HANDLE_VALUE);
    {
        GuardSettings s(path);
        s.setTimeInactivity(25);
        CHECK(s.save());
    }
    CloseHandle(other);
    CHECK(GuardSettings(path).getTimeInactivity() == 25);
    CHECK(readFile(path + ".new").empty());
}

TEST_CASE("an unwritable folder makes the save fail quietly") {
    GuardSettings s("Z:\\no\\such\\folder\\tarnel.cfg");
    CHECK_FALSE(s.save());
}

TEST_CASE("folders as people write them are checked: there, writable, and room for the names") {
    const std::string dir = freshDir("settings-folders");
    writeFile(dir + "\\a-file", "x");
    CreateDirectoryA((dir + "\\refusing").c_str(), nullptr);
    // Root ignores the read-only bit under Wine: a folder where the check's
    // own file would go refuses it as a folder Windows will not write does.
    char probe[64];
    std::snprintf(probe, sizeof probe, "\\refusing\\~tarnel%lx.tmp",
                  (unsigned long)GetCurrentProcessId());
    REQUIRE(CreateDirectoryA((dir + probe).c_str(), nullptr));
    EnvironmentSetting place("TARNEL_PLACE", dir);
    std::string slashes = dir;
    for (char& c : slashes)
        if (c == '\\') c = '/';
    const struct {
        std::string key, written;
        std::string fault; // empty: taken
    } cases[] = {
        {"Logfilepath", "\"" + dir + "\"", ""},
        {"Logfilepath", "  " + dir + "\\ ", ""},
        {"Logfilepath", slashes + "/", ""},
        {"Journalpath", "%TARNEL_PLACE%", ""},
        {"journalpath", "", ""}, // no journal
        {"Logfilepath", "", ""}, // the module's default
        {"Logfilepath", "%TARNEL_NOT_SET%\\logs", ""}, // the seat checks it
        {"CountInput", "1", ""},
        {"Logfilepath", dir + "\\missing",
         "Logfilepath: the folder \"" + dir + "\\missing\" does not exist"},
        {"Journalpath", dir + "\\a-file", "Journalpath: the folder \"" + dir + "\\a-file\" is a file, not a folder"},
        {"Logfilepath", "\"" + dir + "\\refusing\"",
         "Logfilepath: the folder \"" + dir + "\\refusing\" cannot be written: "},
    };
    for (const auto& c : cases) {
        CAPTURE(c.key);
        CAPTURE(c.written);
        const std::string fault = foldercheck::settingError(c.key, c.written, 1);
        if (c.fault.empty())
            CHECK(fault == "");
        else
            CHECK_STARTS(fault, c.fault);
    }
    // The refusing folder is said in Windows' words.
    CHECK(foldercheck::whyNot(dir + "\\refusing", 10).size() >
          std::string("the folder \"" + dir + "\\refusing\" cannot be written: ").size());
    CHECK(foldercheck::whyNot(dir, 10) == ""); // and the check left nothing behind
    CHECK(GetFileAttributesA((dir + std::string(probe).substr(9)).c_str()) ==
          INVALID_FILE_ATTRIBUTES);
}

TEST_CASE("a folder leaves room for the longest name: the user's, the computer's") {
    // A 20-character logon name: "<user>_<yyyymmddhhmm>.log" is 37 characters,
    // so a 221-character folder is the longest that takes it.
    EnvironmentSetting user("USERNAME", "u");
    CHECK(foldercheck::commandLogName(1) == 37);
    CHECK(foldercheck::commandLogName(0) == 10);
    CHECK(foldercheck::journalName() == 19);
    const std::string base = freshDir("settings-long");
    std::string folder = base;
    while (folder.size() < 221)
        folder += "\\" + std::string(std::min<size_t>(60, 221 - folder.size() - 1), 'd');
    REQUIRE(folder.size() == 221);
    REQUIRE(SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr) == ERROR_SUCCESS);
    CHECK(foldercheck::settingError("Logfilepath", folder, 1) == "");
    const std::string longer = folder + "x";
    CHECK(foldercheck::settingError("Logfilepath", longer, 1) ==
          "Logfilepath: the folder \"" + longer +
              "\" is too long: its files' names of up to 37 characters would make paths "
              "longer than Windows' 259 characters");
    CHECK(foldercheck::settingError("Logfilepath", longer, 0) == "Logfilepath: the folder \"" +
                                                                   longer + "\" does not exist");
    // A longer name than Windows' own logon names: this user's counts.
    EnvironmentSetting longUser("USERNAME", std::string(25, 'n'));
    CHECK(foldercheck::commandLogName(1) == 42);
    CHECK_STARTS(foldercheck::settingError("Logfilepath", folder, 1),
                 "Logfilepath: the folder \"" + folder + "\" is too long: ");
}

TEST_CASE("Group Policy over the settings file: the computer's over the user's, and the file "
          "keeps the seat's own") {
    PolicyKeys policy;
    testkit::EnvironmentSetting root("TARNEL_POLICY_ROOT", "D:\\cad");
    const std::string path = freshDir("settings-policy") + "\\tarnel.cfg";
    {
        GuardSettings s(path);
        s.setTimeInactivity(25);
        s.setTimeCountdown(40);
        s.setJournalpath("C:\\own");
    }
    const std::string own = readFile(path);
    PolicyKeys::number(HKEY_LOCAL_MACHINE, "TimeInactivity", 15);
    PolicyKeys::number(HKEY_CURRENT_USER, "TimeInactivity", 30);
    PolicyKeys::number(HKEY_CURRENT_USER, "TimeCountdown", 20);
    PolicyKeys::text(HKEY_LOCAL_MACHINE, "Journalpath", "%TARNEL_POLICY_ROOT%\\journal",
                     REG_EXPAND_SZ);
    PolicyKeys::number(HKEY_LOCAL_MACHINE, "Action", 9);    // out of range: the file's holds
    PolicyKeys::text(HKEY_CURRENT_USER, "CountInput", "1"); // not a number
    {
        GuardSettings s(path);
        CHECK(s.getTimeInactivity() == 15);
        CHECK(s.getTimeCountdown() == 20);
        CHECK(s.getJournalpath() == "D:\\cad\\journal");
        CHECK(s.getAction() == 2);
        CHECK_FALSE(s.getCountInput());
        CHECK(s.policy().faults.size() == 2);
    } // the unload writes the seat's own values, as they were
    CHECK(readFile(path) == own);
    {
        // The options dialog's OK stores what the user could change, and
        // nothing of what the policy sets.
        GuardSettings s(path);
        CHECK_FALSE(s.setTimeInactivity(15));
        CHECK(s.setAction(1));
        CHECK(s.getAction() == 1);
        CHECK(s.values().timeInactivity == 25);
    }
    // A value read whole, whatever its length (a fixed buffer took 8 KiB).
    const std::string longText(9000, 'x');
    PolicyKeys::text(HKEY_CURRENT_USER, "Journalpath", longText);
    bool found = false;
    for (const settingspolicy::RawValue& v : readPolicyValues(HKEY_CURRENT_USER))
        if (v.name == "Journalpath") {
            found = true;
            CHECK(v.type == settingspolicy::RawValue::Text);
            CHECK(v.text.size() == longText.size());
        }
    CHECK(found);
    PolicyKeys::clear();
    GuardSettings without(path);
    CHECK(without.getTimeInactivity() == 25);
    CHECK(without.getTimeCountdown() == 40);
    CHECK(without.getJournalpath() == "C:\\own");
    CHECK(without.getAction() == 1);
}
