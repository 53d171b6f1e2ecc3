#include "cmdlog/logrecord.h"
#include <ctime>
#include "common/textformat.h"

namespace {
// The local time of a moment. Start and finish of a command, and the next
// command, mostly fall in the same second: the last conversion is kept, as
// asking for the local time costs a call to the system's time zone.
bool localTime(int32_t seconds, std::tm& out) {
    static int32_t lastSeconds = 0;
    static std::tm last = {};
    static bool known = false;
    if (!known || seconds != lastSeconds) {
        std::time_t t = seconds;
        std::tm* local = std::localtime(&t);
        if (!local) return false;
        last = *local;
        lastSeconds = seconds;
        known = true;
    }
    out = last;
    return true;
}

std::string dateText(int32_t seconds, const char* format) {
    char text[128] = {};
    std::tm local;
    if (localTime(seconds, local)) std::strftime(text, sizeof text, format, &local);
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
