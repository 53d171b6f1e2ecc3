#include "cmdlog/tarnelreact.h"
#include "cmdlog/logwriter.h"
#include "common/shield.h"
#include "settings/guardsettings.h"
#include "shell/hostcalls.h"

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
        if (loggingOn()) recordEnd(cmdStr); // a null name is written as a LISP function's
    });
}

void CommandLogReactor::commandCancelled(const char*) {}

void CommandLogReactor::commandFailed(const char*) {}

void CommandLogReactor::lispWillStart(const char*) {
    lispActive = true;
    shielded([&] { stampStart(); });
}

void CommandLogReactor::lispEnded() {
    shielded([&] {
        if (loggingOn()) recordEnd(nullptr);
    });
    lispActive = false;
}

void CommandLogReactor::lispCancelled() {
    lispActive = false;
}

bool CommandLogReactor::writeLogRecord(const char* name, TimeStamp start, TimeStamp finish) {
    return appendLogRecord(settings_.getLogFileName(), name, start, finish);
}
