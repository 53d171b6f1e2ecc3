// The installers' presets: the names a CAD manager gives (TIMEOUT=15), the
// settings they stand for, the presets file beside the package, and the check
// of every value before anything is installed. No Windows here: the setup
// program, the package's custom action and tarnelcfg share it.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "settings/settingsformat.h"

namespace presets {

// The file read beside the package when present.
extern const char kFileName[];

struct Name {
    const char* property; // TIMEOUT
    const char* key;      // TimeInactivity; null for the ones that are no setting
    // The package's property when it cannot be the setup program's name:
    // Windows Installer runs the action named by ACTION.
    const char* packageProperty = nullptr;
    const char* inPackage() const { return packageProperty ? packageProperty : property; }
};
// Every name, in the order the installers document them: the settings,
// then PASSWORD (also turns the protection on), LOCK and PRODUCTKEY.
extern const std::vector<Name> kNames;

// Why the value does not do for the key, or empty when it does: flags are 0
// or 1, numbers whole and within the loader's range, text anything.
std::string valueError(const settingsformat::KeyInfo& key, const std::string& value);

struct Entry {
    std::string name, value;
};
// The NAME=value lines of a presets file: blank lines and lines starting
// with # or ; are skipped, spaces around name and value and one pair of
// quotes around the value go. Lines end in LF, CR LF or CR alone; the file
// is ANSI, UTF-8 (with or without its byte-order mark) or UTF-16 LE with
// its mark, which comes out as UTF-8. False with the line and its fault in
// error (a line that is not NAME=value, a zero byte: UTF-16 without a mark).
bool parseFile(const std::string& text, std::vector<Entry>& out, std::string& error);

struct Plan {
    std::vector<std::string> changes; // Key=value for tarnelcfg set
    int lock = -1;                    // -1 not asked, else 0 or 1
    std::string productKey;
    // One line per preset taken, where it came from, the password hidden.
    std::vector<std::string> notes;
};
// The presets to apply: a package property given on the command line
// (non-empty; asked for by its inPackage() name) wins over the file's entry
// of that name (either name). Empty on success, else the
// first fault: an unknown name in the file, or a value out of range named
// with its setting and range.
std::string plan(const std::function<std::string(const char* property)>& property,
                 const std::vector<Entry>& file, Plan& out);

} // namespace presets
