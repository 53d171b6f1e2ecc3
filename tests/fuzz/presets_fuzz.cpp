// A presets file from any bytes, and the plan from its entries with no
// property given: either a fault named, or entries whose names and values
// hold no line end, and changes each of one known setting within its range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include "installer/presets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<presets::Entry> entries;
    std::string error;
    if (!presets::parseFile(text, entries, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    for (const presets::Entry& e : entries)
        if (e.name.empty() || e.name.find_first_of("\r\n") != std::string::npos ||
            e.value.find_first_of("\r\n") != std::string::npos)
            std::abort();
    presets::Plan plan;
    const std::string fault =
        presets::plan([](const char*) { return std::string(); }, entries, plan);
    if (!fault.empty()) return 0;
    for (const std::string& change : plan.changes) {
        const size_t eq = change.find('=');
        if (eq == std::string::npos || eq == 0) std::abort();
    }
    return 0;
}
