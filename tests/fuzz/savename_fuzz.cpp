// The save-name rule from any path and working directory: a copy always
// lands as "tarnel_" + the base name in one folder, in place is the name
// (in the working directory for a name without a folder).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include "idle/closeaction.h"
#include "idle/savename.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t cut = rest.find('\0');
    std::string file = rest.substr(0, cut);
    std::string work = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
    int action = data[0] % 4;
    std::string target = saveNameIn(action, file, work);
    if (action == SaveToCurrentDrawing && hasOwnFolder(file) && target != file) std::abort();
    if (action == SaveToCurrentDrawing && !hasOwnFolder(file) &&
        (target.size() <= file.size() ||
         target.compare(target.size() - file.size() - 1, file.size() + 1, "\\" + file)))
        std::abort();
    if ((action == QuitWithoutSaving || action == 3) && !target.empty()) std::abort();
    if (action == SaveToOtherDrawing) {
        size_t slash = file.rfind('\\');
        std::string base = slash != std::string::npos && slash > 0 ? file.substr(slash + 1) : file;
        const std::string tail = "\\tarnel_" + base;
        if (target.size() < tail.size() ||
            target.compare(target.size() - tail.size(), tail.size(), tail))
            std::abort();
    }
    return 0;
}
