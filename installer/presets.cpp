#include "installer/presets.h"
#include <cstdlib>

namespace presets {

const char kFileName[] = "tarnel-presets.txt";

const std::vector<Name> kNames = {
    {"TIMEOUT", "TimeInactivity"},
    {"COUNTDOWN", "TimeCountdown"},
    {"ACTION", "Action", "CLOSEACTION"},
    {"ALLOWDISABLE", "AllowDisable"},
    {"LOGGING", "EnableLogging"},
    {"LOGDIR", "Logfilepath"},
    {"LOGNAMING", "LogfilenameType"},
    {"COUNTINPUT", "CountInput"},
    {"CANCELWAITING", "CancelWaiting"},
    {"JOURNAL", "Journalpath"},
    {"DRYRUN", "DryRun"},
    {"PASSWORD", "Password"},
    {"LOCK", nullptr},
    {"PRODUCTKEY", nullptr},
};

namespace {

using settingsformat::KeyInfo;

using settingsformat::equalsNoCase;
using settingsformat::trim;

bool names(const Name& n, const std::string& name) {
    return equalsNoCase(name, n.property) || equalsNoCase(name, n.inPackage());
}

const Name* findName(const std::string& name) {
    for (const Name& n : kNames)
        if (names(n, name)) return &n;
    return nullptr;
}

} // namespace

std::string valueError(const KeyInfo& key, const std::string& value) {
    if (key.kind == KeyInfo::Text) return "";
    char* end = nullptr;
    long n = value.empty() ? 0 : std::strtol(value.c_str(), &end, 10);
    if (!value.empty() && !*end && n >= key.low && n <= key.high) return "";
    return std::string(key.name) + " must be a whole number from " + std::to_string(key.low) +
           " to " + std::to_string(key.high) + ", not \"" + value + "\"";
}

bool parseFile(const std::string& text, std::vector<Entry>& out, std::string& error) {
    size_t start = 0;
    // A byte-order mark from Notepad.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
    for (int number = 1; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        line = trim(line); // a CR before the LF too
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos || trim(line.substr(0, eq)).empty()) {
            error = std::string(kFileName) + " line " + std::to_string(number) +
                    " is not NAME=value: \"" + line + "\"";
            return false;
        }
        std::string value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        out.push_back({trim(line.substr(0, eq)), value});
    }
    return true;
}

std::string plan(const std::function<std::string(const char*)>& property,
                 const std::vector<Entry>& file, Plan& out) {
    for (const Entry& e : file)
        if (!findName(e.name))
            return std::string(kFileName) + " names \"" + e.name + "\", which is no preset";
    for (const Name& n : kNames) {
        std::string value = property(n.inPackage());
        std::string from = "the command line";
        if (value.empty()) {
            // The file's last line of that name, as a later line wins in tarnel.cfg too.
            for (const Entry& e : file)
                if (names(n, e.name)) value = e.value;
            from = kFileName;
        }
        if (value.empty()) continue;
        const std::string shown = n.key && std::string(n.key) == "Password" ? "(hidden)" : value;
        out.notes.push_back(std::string(n.inPackage()) + "=" + shown + " from " + from);
        if (!n.key) {
            if (std::string(n.property) == "PRODUCTKEY") {
                out.productKey = value;
            } else if (value == "0" || value == "1") {
                out.lock = value[0] - '0';
            } else {
                return std::string(n.property) + " must be 0 or 1, not \"" + value + "\"";
            }
            continue;
        }
        const KeyInfo* key = settingsformat::findKey(n.key);
        std::string fault = valueError(*key, value);
        if (!fault.empty()) return std::string(n.inPackage()) + ": " + fault;
        if (key->text == &settingsformat::Values::password) out.changes.push_back("Protection=1");
        out.changes.push_back(std::string(key->name) + "=" + value);
    }
    return "";
}

} // namespace presets
