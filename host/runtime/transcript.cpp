// The plain transcript of what the host did, one event a line.
#include <cstdarg>
#include <cstdio>
#include "internal.h"

namespace cadhost {

namespace {
std::string transcriptPath;
Faults faultFlags{};
} // namespace

void setTranscript(const char* path) {
    transcriptPath = path ? path : "";
}

void transcript(const char* format, ...) {
    if (transcriptPath.empty()) return;
    char line[2048];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    if (FILE* f = std::fopen(transcriptPath.c_str(), "ab")) {
        std::fprintf(f, "%s\n", line);
        std::fclose(f);
    }
}

Faults& faults() {
    return faultFlags;
}

} // namespace cadhost
