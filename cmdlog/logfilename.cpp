#include "cmdlog/logfilename.h"

std::string logFileNameFor(int type, const std::string& folder, const char* userName,
                           const std::string& stamp) {
    if (type == 0) return folder + "\\tarnel.log";
    if (type != 1) return std::string();
    return folder + "\\" + (userName ? userName : "Unknown") + "_" + stamp + ".log";
}
