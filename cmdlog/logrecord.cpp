#include "cmdlog/logrecord.h"
#include <ctime>
#include "common/textformat.h"

namespace {
std::string dateText(int32_t seconds, const char* format) {
    std::time_t t = seconds;
    char text[128] = {};
    if (std::tm* local = std::localtime(&t)) std::strftime(text, sizeof text, format, local);
    return text;
}
} // namespace

std::string logHeader(const EnvLookup& env) {
    static const struct {
        const char* variable;
        const char* label;
    } lines[] = {{"AC_PROJ", "Project: "},
                 {"AC_DEPT", "Project: "},
                 {"USERNAME", "User: "},
                 {"USERDOMAIN", "Domain: "}};
    std::string header;
    for (const auto& l : lines)
        if (const char* value = env(l.variable)) header += std::string(l.label) + value + "\n";
    return header;
}

void elapsed(TimeStamp start, TimeStamp finish, long& seconds, int& milliseconds) {
    seconds = (long)finish.seconds - (long)start.seconds;
    milliseconds = (int)finish.milliseconds - (int)start.milliseconds;
    if (milliseconds < 0) {
        milliseconds += 1000;
        seconds -= 1;
    }
}

std::string logRecord(const char* name, TimeStamp start, TimeStamp finish) {
    long seconds;
    int ms;
    elapsed(start, finish, seconds, ms);
    std::string line = name ? std::string("Command ") + name : "Unknown command (LISP function)";
    line += dateText(start.seconds, "\tStarted %d.%m.%Y at %H:%M:%S");
    line += dateText(finish.seconds, "\tFinished %d.%m.%Y at %H:%M:%S");
    line += formatText("\tElapsed seconds %ld, miliseconds %g\n", seconds, (double)ms);
    return line;
}
