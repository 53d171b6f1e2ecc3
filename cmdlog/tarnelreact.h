// The reactors that see command traffic: every ended command counts as
// activity, and with logging on each one is timed into the command log.
#pragma once
#include <map>
#include "acdocman.h"
#include "aced.h"
#include "cmdlog/timestamp.h"

class GuardSettings;

class DocLogReactor : public AcApDocManagerReactor {
  public:
    DocLogReactor();
    ~DocLogReactor() override;
    void documentToBeDestroyed(AcApDocument* doc) override;

    // The current document's start time, inserted with value when missing.
    TimeStamp& entryForCurrent(TimeStamp value);
    size_t entryCount() const { return startTimes.size(); }

  private:
    std::map<AcApDocument*, TimeStamp> startTimes;
};

class CommandLogReactor : public AcEditorReactor {
  public:
    explicit CommandLogReactor(const GuardSettings& settings);
    ~CommandLogReactor() override;
    void commandWillStart(const char* cmdStr) override;
    void commandEnded(const char* cmdStr) override;
    void commandCancelled(const char* cmdStr) override;
    void commandFailed(const char* cmdStr) override;
    void lispWillStart(const char* firstLine) override;
    void lispEnded() override;
    void lispCancelled() override;
    virtual bool writeLogRecord(const char* name, TimeStamp start, TimeStamp finish);

    const DocLogReactor& documents() const { return docReactor; }
    bool isLispActive() const { return lispActive; }

  private:
    void stampStart();
    void recordEnd(const char* name);
    bool loggingOn() const;
    const GuardSettings& settings_;
    DocLogReactor docReactor;
    bool lispActive = false;
};
