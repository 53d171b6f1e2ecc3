#include "idle/savename.h"
#include "idle/closeactioncode.h"

namespace {
size_t folderEnd(const std::string& fileName) {
    const size_t slash = fileName.rfind('\\');
    return slash != std::string::npos && slash > 0 ? slash : std::string::npos;
}
} // namespace

bool hasOwnFolder(const std::string& fileName) {
    return folderEnd(fileName) != std::string::npos;
}

std::string numberedName(const std::string& path, int n) {
    if (n <= 1) return path;
    const size_t slash = path.find_last_of("\\/:");
    const size_t base = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot <= base) dot = path.size();
    return path.substr(0, dot) + " (" + std::to_string(n) + ")" + path.substr(dot);
}

std::string saveNameIn(int action, const std::string& fileName, const std::string& workDir) {
    if (action != SaveToCurrentDrawing && action != SaveToOtherDrawing) return std::string();
    std::string folder, base = fileName;
    const size_t slash = folderEnd(fileName);
    if (slash != std::string::npos) {
        if (action == SaveToCurrentDrawing) return fileName;
        folder = fileName.substr(0, slash);
        base = fileName.substr(slash + 1);
    } else {
        folder = workDir;
        if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    }
    return folder + (action == SaveToOtherDrawing ? "\\tarnel_" : "\\") + base;
}
