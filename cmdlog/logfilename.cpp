#include "cmdlog/logfilename.h"

std::string logFileNameFor(int type, const std::string& folder, const char* userName,
                           const std::string& stamp) {
    // A root ("C:\") has its separator already.
    const std::string in = folder.empty() || folder.back() != '\\' ? folder + "\\" : folder;
    if (type == 0) return in + "tarnel.log";
    if (type != 1) return std::string();
    return in + (userName ? userName : "Unknown") + "_" + stamp + ".log";
}
