#include "settings/foldercheck.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "common/errortext.h"
#include "common/handles.h"
#include "settings/folderpath.h"
#include "settings/settingsformat.h"

namespace foldercheck {

size_t commandLogName(int logfilenameType) {
    if (logfilenameType != 1) return std::strlen("tarnel.log");
    char user[256] = {};
    const DWORD n = GetEnvironmentVariableA("USERNAME", user, sizeof user);
    const size_t own = n == 0 ? std::strlen("Unknown") : n < sizeof user ? n : sizeof user;
    return (own > kLongestUserName ? own : kLongestUserName) + std::strlen("_yyyymmddhhmm.log");
}

size_t journalName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD n = sizeof name;
    const size_t own = GetComputerNameA(name, &n) ? n : 0;
    return (own > kLongestComputerName ? own : kLongestComputerName) + std::strlen(".csv");
}

bool namesVariables(const std::string& written) {
    const std::string folder = folderpath::asWritten(written);
    const size_t open = folder.find('%');
    return open != std::string::npos && folder.find('%', open + 1) != std::string::npos;
}

bool lastsUntilChanged(unsigned long error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_DRIVE:
    case ERROR_WRITE_PROTECT:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
        return true;
    default:
        return false;
    }
}

std::string whyNot(const std::string& written, size_t longestName) {
    const std::string folder = folderpath::inUse(written);
    if (folder.empty()) return "no folder is given";
    const std::string named = "the folder \"" + folder + "\"";
    const std::string in = folder.back() == '\\' ? folder : folder + "\\";
    if (in.size() + longestName > kLongestPath)
        return named + " is too long: its files' names of up to " + std::to_string(longestName) +
               " characters would make paths longer than Windows' " +
               std::to_string(kLongestPath) + " characters";
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return named + " does not exist";
        return named + " cannot be read: " + systemErrorText(error);
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return named + " is a file, not a folder";
    // Writing is tried, as the folder's rights and the share's say more than
    // its read-only attribute.
    char probe[32];
    std::snprintf(probe, sizeof probe, "~tarnel%lx.tmp", (unsigned long)GetCurrentProcessId());
    FileHandle file(CreateFileA((in + probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file.valid()) return named + " cannot be written: " + systemErrorText(GetLastError());
    return std::string();
}

} // namespace foldercheck

namespace foldercheck {

std::string settingError(const std::string& key, const std::string& value, int logfilenameType) {
    const bool log = settingsformat::equalsNoCase(key, "Logfilepath");
    if (!log && !settingsformat::equalsNoCase(key, "Journalpath")) return std::string();
    // Empty: the module's own folder for the log, no journal.
    if (folderpath::asWritten(value).empty()) return std::string();
    // Another folder for every user: the seat that uses it says so.
    if (namesVariables(value)) return std::string();
    const std::string why =
        whyNot(value, log ? commandLogName(logfilenameType) : journalName());
    return why.empty() ? why : (log ? "Logfilepath: " : "Journalpath: ") + why;
}

} // namespace foldercheck

namespace foldercheck {

std::string changesError(const std::vector<std::pair<std::string, std::string>>& changes) {
    int naming = 1;
    for (const auto& c : changes)
        if (settingsformat::equalsNoCase(c.first, "LogfilenameType"))
            naming = std::atoi(c.second.c_str());
    for (const auto& c : changes) {
        const std::string fault = settingError(c.first, c.second, naming);
        if (!fault.empty()) return fault;
    }
    return std::string();
}

} // namespace foldercheck
