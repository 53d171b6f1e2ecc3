// The settings file's line format: scrambling, key and value splitting.
// Pure text functions, free of the platform.
#pragma once
#include <string>

namespace settingsformat {

// XOR mask of every character of a line; keeps printable characters clear of
// line breaks, the text-mode end-of-file character and zero.
constexpr unsigned char kMask = 0x13;

// Scrambles a line in place; applied twice it gives the line back.
void scramble(std::string& line);
// Leading and trailing white space removed.
std::string trim(const std::string& text);
// Splits at the first colon into trimmed key and value; false without a colon.
bool splitLine(const std::string& line, std::string& key, std::string& value);
bool equalsNoCase(const std::string& a, const char* b);

} // namespace settingsformat
