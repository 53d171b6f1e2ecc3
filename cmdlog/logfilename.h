// The command log's file name. Pure text, free of the platform.
#pragma once
#include <string>

// "folder\tarnel.log" for type 0, "folder\USER_stamp.log" for type 1 (user
// "Unknown" when not set), empty for any other type.
std::string logFileNameFor(int type, const std::string& folder, const char* userName,
                           const std::string& stamp);
