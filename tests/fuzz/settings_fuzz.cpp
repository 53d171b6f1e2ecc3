// The settings file read from any bytes, then saved and read again: the
// second read gives the same record, in nine lines plus those of added
// keys not at their defaults.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include "settings/settingsformat.h"

using namespace settingsformat;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Values first;
    readInto(first, bytes);
    if (first.timeInactivity < 1 || first.timeInactivity > 120) std::abort();
    if (first.timeCountdown < 1 || first.timeCountdown > 60) std::abort();
    if (first.action < 0 || first.action > 2) std::abort();
    if (first.logfilenameType < 0 || first.logfilenameType > 1) std::abort();
    const std::string saved = fileBytes(plainLinesOf(first));
    Values second;
    readInto(second, saved);
    if (!(first == second)) std::abort();
    // The nine lines, and an added key's only when it is not at its default.
    if (fileLines(saved).size() != (first.countInput ? 10u : 9u)) std::abort();
    return 0;
}
