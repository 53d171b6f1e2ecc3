// The command log's side of the host's command traffic, as the adapter's
// reactors pass it on: with logging on each command is timed into the
// command log. (That an ended command is the user's activity is the idle
// watch's business: the core's notifications tell it.)
#pragma once
#include <map>
#include "cmdlog/timestamp.h"
#include "port/hostport.h"

class GuardSettings;

// The start time of the command that runs in each drawing.
class DocLogReactor {
  public:
    void documentToBeDestroyed(TarnelDrawing doc);

    // The current document's start time, inserted with value when missing.
    TimeStamp& entryForCurrent(TimeStamp value);
    size_t entryCount() const { return startTimes.size(); }

  private:
    std::map<TarnelDrawing, TimeStamp> startTimes;
};

// The editor's events for the current drawing.
class CommandLogReactor {
  public:
    explicit CommandLogReactor(const GuardSettings& settings);
    virtual ~CommandLogReactor();
    void commandWillStart(const char* cmdStr);
    void commandEnded(const char* cmdStr);
    void commandCancelled(const char* cmdStr);
    void commandFailed(const char* cmdStr);
    void lispWillStart(const char* firstLine);
    void lispEnded();
    void lispCancelled();
    virtual bool writeLogRecord(const char* name, TimeStamp start, TimeStamp finish);

    const DocLogReactor& documents() const { return docReactor; }
    DocLogReactor& documents() { return docReactor; }
    bool isLispActive() const { return lispActive; }

  private:
    void stampStart();
    void recordEnd(const char* name);
    bool loggingOn() const;
    const GuardSettings& settings_;
    DocLogReactor docReactor;
    bool lispActive = false;
};
