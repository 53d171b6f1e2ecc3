// Folders as people write them in tarnel.cfg, the options dialog, tarnelcfg,
// presets and policy: "C:\CAD\Logs", C:/CAD/Logs/, %TEMP%\tarnel. The
// stored value stays as written (so one preset serves every user); these
// give the folder the module uses.
#pragma once
#include <string>

namespace folderpath {

// Pure text: spaces around and one pair of surrounding quotes taken off,
// forward slashes as backslashes, one separator between names, trailing
// separators taken off (but a root's: "C:\"; "\\server\share" stays as it
// is). %NAME% is left.
std::string asWritten(const std::string& text);

// asWritten, with %NAME% environment variables expanded (a name that is
// not set stays as written, as Windows leaves it).
std::string inUse(const std::string& text);

} // namespace folderpath
