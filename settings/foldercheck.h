// Whether a folder as written can take the files that will go there: it
// must be there, take a new file, and leave room in Windows' path limit for
// the longest name one of them will have. Used where a value is checked
// (tarnelcfg, the installers' presets, the options dialog) and where the
// seat says why a log cannot be made.
#pragma once
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace foldercheck {

// The longest path a file may have: MAX_PATH less its terminating zero.
constexpr size_t kLongestPath = 259;
// Windows' longest logon name and NetBIOS computer name: a preset serves
// every user and computer, so the room is kept for the longest.
constexpr size_t kLongestUserName = 20;
constexpr size_t kLongestComputerName = 15;
// What the settings file's temporary copy adds to its name while it is
// saved: ".<process id in hex>-<count>.new".
constexpr size_t kSettingsTempSuffix = 1 + 8 + 1 + 2 + 4;

// The longest name of a command log file of that naming type: "tarnel.log",
// or "<user>_<yyyymmddhhmm>.log" for the longest user name (this one's, when
// longer).
size_t commandLogName(int logfilenameType);
// The longest name of a journal file: "<computer>.csv".
size_t journalName();

// Why files named up to longestName characters cannot be made in the
// folder as written (quotes, slashes and %NAME% as folderpath reads them),
// in a sentence naming the folder; empty when they can. A new file is made
// and deleted to know it can be written.
std::string whyNot(const std::string& written, size_t longestName);

// Whether the folder as written names environment variables, and so
// another folder for every user.
bool namesVariables(const std::string& written);

// Whether a Windows error met opening a file in a folder stays until
// someone changes the folder (missing, refused, a name too long), rather
// than passing (another program holding the file, a server away).
bool lastsUntilChanged(unsigned long error);

// For tarnelcfg and the presets: why the value of Logfilepath or Journalpath
// (named by key, any case) will not do, beginning with the key; empty for
// any other key, an empty folder (the default), a folder named with
// environment variables (which the seat checks when it uses it) and one
// that will do. The log's names are those of logfilenameType.
std::string settingError(const std::string& key, const std::string& value, int logfilenameType);
// settingError for each (key, value) of a request, the log's names those of
// the LogfilenameType it sets (the longer when it sets none); the first
// fault, or empty.
std::string changesError(const std::vector<std::pair<std::string, std::string>>& changes);

} // namespace foldercheck
