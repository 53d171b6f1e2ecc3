#include "idle/savename.h"
#include "idle/closeaction.h"

std::string saveNameIn(int action, const std::string& fileName, const std::string& workDir) {
    if (action == SaveToCurrentDrawing) return fileName;
    if (action != SaveToOtherDrawing) return std::string();
    std::string folder, base = fileName;
    size_t slash = fileName.rfind('\\');
    if (slash != std::string::npos && slash > 0) {
        folder = fileName.substr(0, slash);
        base = fileName.substr(slash + 1);
    }
    if (folder.empty()) {
        folder = workDir;
        if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    }
    return folder + "\\tarnel_" + base;
}
