#include "settings/settingsformat.h"
#include <cctype>

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
