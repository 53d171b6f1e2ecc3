#include "idle/rescuefolder.h"
#include <windows.h>
#include <ctime>
#include "idle/freename.h"
#include "idle/rescuename.h"

namespace {

const char kRescueFolder[] = "Tarnel rescue";

bool isFolder(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string rescueFolder() {
    char temp[MAX_PATH] = {};
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH) return std::string();
    std::string folder = temp;
    if (folder.back() != '\\') folder += '\\';
    folder += kRescueFolder;
    if (!CreateDirectoryA(folder.c_str(), nullptr) && !isFolder(folder)) return std::string();
    return folder;
}

std::string localStamp() {
    char stamp[32] = {};
    const std::time_t now = std::time(nullptr);
    if (std::tm* local = std::localtime(&now))
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", local);
    return stamp;
}

} // namespace

std::string rescueTargetFor(const std::string& fileName) {
    const std::string folder = rescueFolder();
    if (folder.empty()) return std::string();
    return firstFreeName(rescueNameIn(folder, fileName, localStamp(), 1));
}
