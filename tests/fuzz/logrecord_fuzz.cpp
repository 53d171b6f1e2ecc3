// The command-log record and header from any name, times and environment:
// one line, four pieces, milliseconds within a second.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include "cmdlog/logrecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 13) return 0;
    TimeStamp start, finish;
    std::memcpy(&start.seconds, data, 4);
    std::memcpy(&finish.seconds, data + 4, 4);
    start.milliseconds = (uint16_t)((data[8] | data[9] << 8) % 1000);
    finish.milliseconds = (uint16_t)((data[10] | data[11] << 8) % 1000);
    const bool lisp = data[12] & 1;
    std::string rest(reinterpret_cast<const char*>(data + 13), size - 13);
    std::string name = rest.substr(0, rest.find('\0'));
    long seconds;
    int ms;
    elapsed(start, finish, seconds, ms);
    if (ms < 0 || ms > 999) std::abort();
    std::string record = logRecord(lisp ? nullptr : name.c_str(), start, finish);
    if (record.empty() || record.back() != '\n') std::abort();
    if (record.find("\tElapsed seconds ") == std::string::npos) std::abort();
    if (!lisp && record.compare(0, 8 + name.size(), "Command " + name) != 0) std::abort();
    std::string header = logHeader([&](const char* v) -> const char* {
        return (v[0] + rest.size()) % 3 ? rest.c_str() : nullptr;
    });
    if (!header.empty() && header.back() != '\n') std::abort();
    return 0;
}
