// A settings line scrambled and unscrambled: the same line, the same length,
// and a line that stays one line on disk.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include "settings/settingsformat.h"

using namespace settingsformat;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    std::string s = line;
    scramble(s);
    if (s.size() != line.size()) std::abort();
    scramble(s);
    if (s != line) std::abort();
    // Written and read back, the line is one line again: only 0x19, which
    // scrambles to a line feed, cannot be carried.
    if (line.find('\x19') == std::string::npos) {
        std::vector<std::string> back = fileLines(fileBytes({line}));
        if (back.size() != 1 || back[0] != line) std::abort();
    }
    return 0;
}
