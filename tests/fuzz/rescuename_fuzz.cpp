// The rescue name from any drawing name and number: always one file right
// inside the rescue folder, named after the drawing's base name and the
// stamp, with the extension the drawing had.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include "idle/rescuename.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int n = data[0] % 8;
    std::string file(reinterpret_cast<const char*>(data + 1), size - 1);
    file = file.substr(0, file.find('\0'));
    const std::string folder = "C:\\T\\Tarnel rescue";
    const std::string name = rescueNameIn(folder, file, "20261208-021000", n);
    if (name.compare(0, folder.size() + 1, folder + "\\") != 0) std::abort();
    const std::string leaf = name.substr(folder.size() + 1);
    if (leaf.empty() || leaf.find_first_of("\\/:") != std::string::npos) std::abort();
    const size_t slash = file.find_last_of("\\/:");
    const std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
    const size_t dot = base.rfind('.');
    const std::string extension =
        dot != std::string::npos && dot > 0 ? base.substr(dot) : std::string();
    std::string tail = "_20261208-021000";
    if (n > 1) tail += " (" + std::to_string(n) + ")";
    tail += extension;
    if (leaf.size() <= tail.size() ||
        leaf.compare(leaf.size() - tail.size(), std::string::npos, tail))
        std::abort();
    return 0;
}
