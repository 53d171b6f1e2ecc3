#include "cmdlog/tarnelreact.h"
#include "cmdlog/logwriter.h"
#include "common/shield.h"
#include "idle/idletimer.h"
#include "idle/lispevaluation.h"
#include "settings/guardsettings.h"
#include "shell/hostcalls.h"

namespace {
// The end of a command or evaluation is the user's activity, unless the
// module itself cancelled it before a close.
void userActivity() {
    if (!cancellingWaits()) resetIdle();
}
} // namespace

void DocLogReactor::documentToBeDestroyed(TarnelDrawing doc) {
    shielded([&] { startTimes.erase(doc); });
}

TimeStamp& DocLogReactor::entryForCurrent(TimeStamp value) {
    return startTimes.emplace(host::currentDrawing(), value).first->second;
}

CommandLogReactor::CommandLogReactor(const GuardSettings& settings) : settings_(settings) {}

bool CommandLogReactor::loggingOn() const {
    return settings_.getEnableLogging();
}
CommandLogReactor::~CommandLogReactor() = default;

void CommandLogReactor::stampStart() {
    TimeStamp now = currentTimeStamp();
    docReactor.entryForCurrent(now) = now;
}

// A record that could not be made is dropped; the next command tries again.
void CommandLogReactor::recordEnd(const char* name) {
    TimeStamp now = currentTimeStamp();
    TimeStamp start = docReactor.entryForCurrent(now);
    writeLogRecord(name, start, now);
}

void CommandLogReactor::commandWillStart(const char*) {
    shielded([&] {
        if (!lispActive) stampStart(); // commands a LISP expression runs keep its start
    });
}

void CommandLogReactor::commandEnded(const char* cmdStr) {
    shielded([&] {
        userActivity();
        if (loggingOn()) recordEnd(cmdStr); // a null name is written as a LISP function's
    });
}

void CommandLogReactor::commandCancelled(const char*) {
    shielded([] { userActivity(); });
}

void CommandLogReactor::commandFailed(const char*) {
    shielded([] { userActivity(); });
}

void CommandLogReactor::lispWillStart(const char*) {
    lispActive = true;
    lispEvaluationStarted();
    shielded([&] { stampStart(); });
}

void CommandLogReactor::lispEnded() {
    shielded([&] {
        userActivity();
        if (loggingOn()) recordEnd(nullptr);
    });
    lispActive = false;
    lispEvaluationEnded();
}

void CommandLogReactor::lispCancelled() {
    shielded([] { userActivity(); });
    lispActive = false;
    lispEvaluationEnded();
}

bool CommandLogReactor::writeLogRecord(const char* name, TimeStamp start, TimeStamp finish) {
    return appendLogRecord(settings_.getLogFileName(), name, start, finish);
}
