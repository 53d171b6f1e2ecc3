// Texts of the resource library's string table.
#pragma once
#include <string>

// The entry's text; empty when the resource library lacks it.
std::string loadString(unsigned id);
// The entry's text, or fallback when the entry is missing or empty.
std::string loadStringOr(unsigned id, const char* fallback);
