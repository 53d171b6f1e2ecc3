// printf-style formatting into a string of any length.
#pragma once
#include <cstdarg>
#include <cstdio>
#include <string>

inline std::string formatTextV(const char* format, va_list ap) {
    va_list copy;
    va_copy(copy, ap);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0) return std::string();
    std::string out((size_t)n + 1, '\0');
    std::vsnprintf(&out[0], out.size(), format, ap);
    out.resize((size_t)n);
    return out;
}

inline std::string formatText(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    std::string out = formatTextV(format, ap);
    va_end(ap);
    return out;
}
