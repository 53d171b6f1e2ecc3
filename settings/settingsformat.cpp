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

namespace {
void storeRanged(int& field, const std::string& value, int low, int high) {
    int n = std::atoi(value.c_str());
    if (n >= low && n <= high) field = n;
}
} // namespace

bool Values::operator==(const Values& o) const {
    return protection == o.protection && password == o.password &&
           timeInactivity == o.timeInactivity && timeCountdown == o.timeCountdown &&
           action == o.action && allowDisable == o.allowDisable &&
           enableLogging == o.enableLogging && logfilenameType == o.logfilenameType &&
           logfilepath == o.logfilepath;
}

void readInto(Values& v, const std::string& bytes) {
    std::string key, value;
    for (const std::string& line : fileLines(bytes)) {
        if (!splitLine(line, key, value)) continue;
        if (equalsNoCase(key, "Protection"))
            v.protection = std::atoi(value.c_str()) != 0;
        else if (equalsNoCase(key, "Password"))
            v.password = value;
        else if (equalsNoCase(key, "TimeInactivity"))
            storeRanged(v.timeInactivity, value, 1, 120);
        else if (equalsNoCase(key, "TimeCountdown"))
            storeRanged(v.timeCountdown, value, 1, 60);
        else if (equalsNoCase(key, "Action"))
            storeRanged(v.action, value, 0, 2);
        else if (equalsNoCase(key, "AllowDisable"))
            v.allowDisable = std::atoi(value.c_str()) != 0;
        else if (equalsNoCase(key, "EnableLogging"))
            v.enableLogging = std::atoi(value.c_str()) != 0;
        else if (equalsNoCase(key, "LogfilenameType"))
            storeRanged(v.logfilenameType, value, 0, 1);
        else if (equalsNoCase(key, "Logfilepath"))
            v.logfilepath = value;
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
    };
}

} // namespace settingsformat
