// GuardSettings::buildLogFileName: the command log's name, fixed at start-up.
#include <cstdlib>
#include <ctime>
#include "guardsettings.h"
#include "logrecord.h"

void GuardSettings::buildLogFileName() {
    if (LogfilenameType != 0 && LogfilenameType != 1) return;
    char stamp[32] = {};
    std::time_t now = std::time(nullptr);
    if (std::tm* local = std::localtime(&now))
        std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M", local);
    logFileName = logFileNameFor(LogfilenameType, Logfilepath, std::getenv("USERNAME"), stamp);
}
