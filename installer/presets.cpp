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
    {"LICENSESERVER", "LicenseServer"},
    {"LICENSEFEATURE", "LicenseFeature"},
    {"LICENSEFREE", "LicenseFree"},
    {"LICENSERECHECK", "LicenseRecheck"},
    {"LICENSETOOL", "LicenseTool"},
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

namespace {

void appendUtf8(std::string& out, unsigned long c) {
    if (c < 0x80) {
        out += (char)c;
    } else if (c < 0x800) {
        out += (char)(0xC0 | (c >> 6));
        out += (char)(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += (char)(0xE0 | (c >> 12));
        out += (char)(0x80 | ((c >> 6) & 0x3F));
        out += (char)(0x80 | (c & 0x3F));
    } else {
        out += (char)(0xF0 | (c >> 18));
        out += (char)(0x80 | ((c >> 12) & 0x3F));
        out += (char)(0x80 | ((c >> 6) & 0x3F));
        out += (char)(0x80 | (c & 0x3F));
    }
}

// Little-endian UTF-16 after its byte-order mark, as Notepad's "Unicode"
// writes it, in UTF-8 as the UTF-8 file gives it; a lone surrogate becomes
// U+FFFD.
std::string fromUtf16(const std::string& bytes) {
    std::string out;
    auto unit = [&](size_t i) {
        return (unsigned long)(unsigned char)bytes[i] |
               ((unsigned long)(unsigned char)bytes[i + 1] << 8);
    };
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        unsigned long c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

} // namespace

bool parseFile(const std::string& raw, std::vector<Entry>& out, std::string& error) {
    std::string text = raw;
    if (raw.compare(0, 2, "\xFF\xFE") == 0) {
        text = fromUtf16(raw);
    } else if (raw.compare(0, 2, "\xFE\xFF") == 0) {
        error = std::string(kFileName) +
                " is in big-endian UTF-16: save it as ANSI, UTF-8 or Unicode (UTF-16 LE)";
        return false;
    } else if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text = raw.substr(3); // a byte-order mark from Notepad
    }
    size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        // A line ends in LF, CR LF, or CR alone.
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (line.find('\0') != std::string::npos) {
            error = std::string(kFileName) + " line " + std::to_string(number) +
                    " holds a zero byte: save the file as ANSI, UTF-8 or Unicode";
            return false;
        }
        line = trim(line);
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
