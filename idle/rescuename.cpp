#include "idle/rescuename.h"
#include "idle/savename.h"

std::string rescueNameIn(const std::string& folder, const std::string& fileName,
                         const std::string& stamp, int n) {
    const size_t slash = fileName.find_last_of("\\/:");
    std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    std::string extension;
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        extension = base.substr(dot);
        base.resize(dot);
    }
    if (base.empty()) base = "drawing";
    std::string dir = folder;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return numberedName(dir + base + "_" + stamp + extension, n);
}
