// The command log's text: header and record lines. Pure text functions.
#pragma once
#include <functional>
#include <string>
#include "cmdlog/timestamp.h"

// Value of an environment variable, or null when it is not set.
using EnvLookup = std::function<const char*(const char*)>;

// "Project: ", "Project: ", "User: ", "Domain: " lines for the variables set.
std::string logHeader(const EnvLookup& env);
// One record line; name null for a LISP evaluation.
std::string logRecord(const char* name, TimeStamp start, TimeStamp finish);
// Elapsed time with one borrow from the seconds.
void elapsed(TimeStamp start, TimeStamp finish, long& seconds, int& milliseconds);
