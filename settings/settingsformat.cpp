#include "settings/settingsformat.h"
#include <cctype>
#include <cstdlib>

namespace settingsformat {

void scramble(std::string& line) {
    const std::string copy = line;
    for (size_t i = 0; i < copy.size(); ++i)
        line[i] = (char)(copy[i] ^ kMask);
}

std::string trim(const std::string& text) {
    const char* blanks = " \t\r\n\v\f";
    size_t a = text.find_first_not_of(blanks);
    if (a == std::string::npos) return std::string();
    return text.substr(a, text.find_last_not_of(blanks) - a + 1);
}

bool splitLine(const std::string& line, std::string& key, std::string& value) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) return false;
    key = trim(line.substr(0, colon));
    value = trim(line.substr(colon + 1));
    return true;
}

bool equalsNoCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
    return i == a.size() && b[i] == '\0';
}

} // namespace settingsformat

namespace settingsformat {

std::string fileBytes(const std::vector<std::string>& plainLines) {
    std::string bytes;
    for (std::string line : plainLines) {
        scramble(line);
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

std::vector<std::string> fileLines(const std::string& bytes) {
    std::vector<std::string> out;
    const char ending = bytes.find('\n') == std::string::npos ? '\r' : '\n';
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find(ending, start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        scramble(line);
        out.push_back(line);
        start = end + 1;
    }
    return out;
}

} // namespace settingsformat

namespace settingsformat {

namespace {
constexpr KeyInfo number(const char* name, int low, int high, int Values::*field) {
    return {name, KeyInfo::Number, low, high, field, nullptr, nullptr};
}
constexpr KeyInfo flag(const char* name, bool Values::*field) {
    return {name, KeyInfo::Flag, 0, 1, nullptr, field, nullptr};
}
constexpr KeyInfo text(const char* name, std::string Values::*field) {
    return {name, KeyInfo::Text, 0, 0, nullptr, nullptr, field};
}
} // namespace

const KeyInfo kKeys[kKeyCount] = {
    flag("Protection", &Values::protection),
    text("Password", &Values::password),
    number("TimeInactivity", 1, 120, &Values::timeInactivity),
    number("TimeCountdown", 1, 60, &Values::timeCountdown),
    number("Action", 0, 2, &Values::action),
    flag("AllowDisable", &Values::allowDisable),
    flag("EnableLogging", &Values::enableLogging),
    number("LogfilenameType", 0, 1, &Values::logfilenameType),
    text("Logfilepath", &Values::logfilepath),
    flag("CountInput", &Values::countInput),
    flag("CancelWaiting", &Values::cancelWaiting),
    text("Journalpath", &Values::journalpath),
    flag("DryRun", &Values::dryRun),
    text("LicenseServer", &Values::licenseServer),
    text("LicenseFeature", &Values::licenseFeature),
    number("LicenseFree", 1, 999, &Values::licenseFree),
    number("LicenseRecheck", 1, 60, &Values::licenseRecheck),
    text("LicenseTool", &Values::licenseTool),
};

int keyIndexOf(int Values::*field) {
    for (int i = 0; i < kKeyCount; ++i)
        if (kKeys[i].number == field) return i;
    return -1;
}

int keyIndexOf(bool Values::*field) {
    for (int i = 0; i < kKeyCount; ++i)
        if (kKeys[i].flag == field) return i;
    return -1;
}

int keyIndexOf(std::string Values::*field) {
    for (int i = 0; i < kKeyCount; ++i)
        if (kKeys[i].text == field) return i;
    return -1;
}

const KeyInfo* findKey(const std::string& name) {
    for (const KeyInfo& k : kKeys)
        if (equalsNoCase(name, k.name)) return &k;
    return nullptr;
}

bool storeValue(Values& v, const KeyInfo& k, const std::string& value) {
    const int n = std::atoi(value.c_str());
    switch (k.kind) {
    case KeyInfo::Number:
        if (n < k.low || n > k.high) return false;
        v.*k.number = n;
        break;
    case KeyInfo::Flag:
        v.*k.flag = n != 0;
        break;
    case KeyInfo::Text:
        v.*k.text = value;
        break;
    }
    return true;
}

std::string valueText(const Values& v, const KeyInfo& k) {
    switch (k.kind) {
    case KeyInfo::Number:
        return std::to_string(v.*k.number);
    case KeyInfo::Flag:
        return v.*k.flag ? "1" : "0";
    case KeyInfo::Text:
        return v.*k.text;
    }
    return std::string();
}

bool Values::operator==(const Values& o) const {
    for (const KeyInfo& k : kKeys)
        if (valueText(*this, k) != valueText(o, k)) return false;
    return true;
}

std::vector<bool> readInto(Values& v, const std::string& bytes) {
    std::vector<bool> set(kKeyCount, false);
    std::string key, value;
    for (const std::string& line : fileLines(bytes)) {
        if (!splitLine(line, key, value)) continue;
        if (const KeyInfo* k = findKey(key))
            if (storeValue(v, *k, value)) set[(size_t)(k - kKeys)] = true;
    }
    return set;
}

std::vector<std::string> plainLinesOf(const Values& v) {
    static const Values defaults;
    std::vector<std::string> lines;
    for (int i = 0; i < kKeyCount; ++i) {
        const KeyInfo& k = kKeys[i];
        const std::string value = valueText(v, k);
        if (i >= kBaseKeyCount && value == valueText(defaults, k)) continue;
        lines.push_back(std::string(k.name) + ":" + value);
    }
    return lines;
}

} // namespace settingsformat
