#include "idle/waitjudge.h"

bool bitsSayWaiting(int cmdActive) {
    const int waits = kCmdCommand | kCmdTransparent | kCmdDialog | kCmdLisp;
    const int works = kCmdScript | kCmdModuleCommand;
    return (cmdActive & waits) != 0 && (cmdActive & works) == 0;
}

bool cpuSaysWaiting(double cpuMs, double elapsedMs) {
    const double allowed = elapsedMs * kQuietCpuShare;
    return cpuMs <= (allowed > kQuietCpuFloorMs ? allowed : kQuietCpuFloorMs);
}
