#include "tarnelreact.h"
#include <new>
#include "attachreactors.h"
#include "guardapp.h"
#include "guardsettings.h"
#include "hostclasses.h"
#include "idletimer.h"
#include "logwriter.h"

namespace {
CommandLogReactor* theReactor = nullptr;

bool loggingOn() {
    GuardSettings* s = appSettings();
    return s && s->getEnableLogging();
}

// The host calls these notifications; nothing may be thrown back into it.
template <typename F> void shielded(F f) {
    try {
        f();
    } catch (...) {
        // A record that could not be made is dropped; the next command tries again.
    }
}
} // namespace

CommandLogReactor* commandLogReactor() {
    return theReactor;
}

DocLogReactor::DocLogReactor() {
    if (AcApDocManager* m = acDocManagerPtr()) m->addReactor(this);
}

DocLogReactor::~DocLogReactor() {
    if (AcApDocManager* m = acDocManagerPtr()) m->removeReactor(this);
}

void DocLogReactor::documentToBeDestroyed(AcApDocument* doc) {
    startTimes.erase(doc);
}

TimeStamp& DocLogReactor::entryForCurrent(TimeStamp value) {
    AcApDocManager* m = acDocManagerPtr();
    AcApDocument* current = m ? m->curDocument() : nullptr;
    return startTimes.emplace(current, value).first->second;
}

CommandLogReactor::CommandLogReactor() = default;
CommandLogReactor::~CommandLogReactor() = default;

void CommandLogReactor::stampStart() {
    shielded([&] {
        TimeStamp now = currentTimeStamp();
        docReactor.entryForCurrent(now) = now;
    });
}

void CommandLogReactor::commandWillStart(const char*) {
    if (!lispActive) stampStart(); // commands a LISP expression runs keep its start
}

void CommandLogReactor::recordEnd(const char* name) {
    shielded([&] {
        TimeStamp now = currentTimeStamp();
        TimeStamp start = docReactor.entryForCurrent(now);
        writeLogRecord(name, start, now);
    });
}

void CommandLogReactor::commandEnded(const char* cmdStr) {
    resetIdle();
    if (loggingOn()) recordEnd(cmdStr ? cmdStr : "");
}

void CommandLogReactor::commandCancelled(const char*) {
    resetIdle();
}
void CommandLogReactor::commandFailed(const char*) {
    resetIdle();
}

void CommandLogReactor::lispWillStart(const char*) {
    lispActive = true;
    stampStart();
}

void CommandLogReactor::lispEnded() {
    resetIdle();
    if (loggingOn()) recordEnd(nullptr);
    lispActive = false;
}

void CommandLogReactor::lispCancelled() {
    resetIdle();
    lispActive = false;
}

bool CommandLogReactor::writeLogRecord(const char* name, TimeStamp start, TimeStamp finish) {
    GuardSettings* s = appSettings();
    return s && appendLogRecord(s->getLogFileName(), name, start, finish);
}

bool attachReactors() {
    if (theReactor) return true;
    theReactor = new (std::nothrow) CommandLogReactor;
    if (!theReactor) return false;
    if (AcEditor* editor = hostEditor()) editor->addReactor(theReactor);
    return true;
}

void detachReactors() {
    if (!theReactor) return;
    if (AcEditor* editor = hostEditor()) editor->removeReactor(theReactor);
    delete theReactor;
    theReactor = nullptr;
}
