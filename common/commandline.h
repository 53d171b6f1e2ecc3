// Windows command lines: arguments quoted so that the C runtime's parser
// (CommandLineToArgvW's rules) gives them back unchanged.
#pragma once
#include <string>
#include <vector>

inline std::string commandLine(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty()) line += ' ';
        line += '"';
        size_t backslashes = 0;
        for (char c : arg) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            // Backslashes before a quote are doubled, and the quote escaped.
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, '\\'); // before the closing quote
        line += '"';
    }
    return line;
}
