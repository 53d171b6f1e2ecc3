#include "settings/folderpath.h"
#include <windows.h>
#include <vector>

namespace folderpath {

std::string asWritten(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(" \t") + 1;
    std::string folder = text.substr(begin, end - begin);
    if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
        folder = folder.substr(1, folder.size() - 2);
    for (char& c : folder)
        if (c == '/') c = '\\';
    // One separator between names; a server's "\\" at the start stays.
    std::string single;
    for (size_t i = 0; i < folder.size(); ++i)
        if (!(i > 1 && folder[i] == '\\' && single.back() == '\\')) single += folder[i];
    folder = single;
    // "C:\" and "\" keep their separator: without it they name another folder.
    while (folder.size() > 1 && folder.back() == '\\' &&
           !(folder.size() == 3 && folder[1] == ':'))
        folder.pop_back();
    return folder;
}

std::string inUse(const std::string& text) {
    const std::string written = asWritten(text);
    if (written.find('%') == std::string::npos) return written;
    const DWORD n = ExpandEnvironmentStringsA(written.c_str(), nullptr, 0);
    if (n == 0) return written;
    std::vector<char> expanded(n + 1);
    if (ExpandEnvironmentStringsA(written.c_str(), expanded.data(), n + 1) == 0) return written;
    // A variable's value may bring its own separators.
    return asWritten(expanded.data());
}

} // namespace folderpath
