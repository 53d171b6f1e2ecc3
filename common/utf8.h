// Text in the user's code page (what the ANSI calls give: names, paths,
// the command line) as UTF-8, for files and pages that are UTF-8.
#pragma once
#include <windows.h>
#include <string>

inline std::string ansiToUtf8(const std::string& ansi) {
    if (ansi.empty()) return ansi;
    const int wide = MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), nullptr, 0);
    if (wide <= 0) return ansi;
    std::wstring w((size_t)wide, L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), &w[0], wide);
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return ansi;
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], n, nullptr, nullptr);
    return out;
}
