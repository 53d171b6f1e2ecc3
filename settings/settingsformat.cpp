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
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
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

const KeyInfo kKeys[kKeyCount] = {
    {"Protection", KeyInfo::Flag, 0, 1},         {"Password", KeyInfo::Text, 0, 0},
    {"TimeInactivity", KeyInfo::Number, 1, 120}, {"TimeCountdown", KeyInfo::Number, 1, 60},
    {"Action", KeyInfo::Number, 0, 2},           {"AllowDisable", KeyInfo::Flag, 0, 1},
    {"EnableLogging", KeyInfo::Flag, 0, 1},      {"LogfilenameType", KeyInfo::Number, 0, 1},
    {"Logfilepath", KeyInfo::Text, 0, 0},        {"CountInput", KeyInfo::Flag, 0, 1}};

const KeyInfo* findKey(const std::string& name) {
    for (const KeyInfo& k : kKeys)
        if (equalsNoCase(name, k.name)) return &k;
    return nullptr;
}

namespace {
// The field of a key, in the order of kKeys.
void store(Values& v, size_t index, const std::string& value) {
    const KeyInfo& k = kKeys[index];
    const int n = std::atoi(value.c_str());
    if (k.kind == KeyInfo::Number && (n < k.low || n > k.high)) return;
    switch (index) {
    case 0:
        v.protection = n != 0;
        break;
    case 1:
        v.password = value;
        break;
    case 2:
        v.timeInactivity = n;
        break;
    case 3:
        v.timeCountdown = n;
        break;
    case 4:
        v.action = n;
        break;
    case 5:
        v.allowDisable = n != 0;
        break;
    case 6:
        v.enableLogging = n != 0;
        break;
    case 7:
        v.logfilenameType = n;
        break;
    case 8:
        v.logfilepath = value;
        break;
    case 9:
        v.countInput = n != 0;
        break;
    }
}
} // namespace

bool Values::operator==(const Values& o) const {
    return protection == o.protection && password == o.password &&
           timeInactivity == o.timeInactivity && timeCountdown == o.timeCountdown &&
           action == o.action && allowDisable == o.allowDisable &&
           enableLogging == o.enableLogging && logfilenameType == o.logfilenameType &&
           logfilepath == o.logfilepath && countInput == o.countInput;
}

void readInto(Values& v, const std::string& bytes) {
    std::string key, value;
    for (const std::string& line : fileLines(bytes)) {
        if (!splitLine(line, key, value)) continue;
        if (const KeyInfo* k = findKey(key)) store(v, (size_t)(k - kKeys), value);
    }
}

std::vector<std::string> plainLinesOf(const Values& v) {
    return {
        "Protection:" + std::to_string(v.protection ? 1 : 0),
        "Password:" + v.password,
        "TimeInactivity:" + std::to_string(v.timeInactivity),
        "TimeCountdown:" + std::to_string(v.timeCountdown),
        "Action:" + std::to_string(v.action),
        "AllowDisable:" + std::to_string(v.allowDisable ? 1 : 0),
        "EnableLogging:" + std::to_string(v.enableLogging ? 1 : 0),
        "LogfilenameType:" + std::to_string(v.logfilenameType),
        "Logfilepath:" + v.logfilepath,
        "CountInput:" + std::to_string(v.countInput ? 1 : 0),
    };
}

} // namespace settingsformat
