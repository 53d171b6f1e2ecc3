#include "idle/waitjudge.h"

bool bitsSayWaiting(int cmdActive) {
    const int waits = kCmdCommand | kCmdTransparent | kCmdDialog | kCmdLisp;
    const int works = kCmdScript | kCmdDde | kCmdModuleCommand;
    return (cmdActive & waits) != 0 && (cmdActive & works) == 0;
}

bool cpuSaysWaiting(double cpuMs, double elapsedMs) {
    const double allowed = elapsedMs * kQuietCpuShare;
    return cpuMs <= (allowed > kQuietCpuFloorMs ? allowed : kQuietCpuFloorMs);
}

bool namesSayWorking(const std::string& cmdNames) {
    size_t from = 0;
    while (from <= cmdNames.size()) {
        size_t to = cmdNames.find('\'', from);
        if (to == std::string::npos) to = cmdNames.size();
        if (cmdNames.compare(from, to - from, "DELAY") == 0) return true;
        from = to + 1;
    }
    return false;
}
