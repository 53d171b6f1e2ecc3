// The module's settings and the scrambled settings file that keeps them.
#pragma once
#include <string>
#include "settings/settingsformat.h"

class GuardSettings {
  public:
    explicit GuardSettings(const std::string& configPath);
    virtual ~GuardSettings();
    GuardSettings(const GuardSettings&) = delete;
    GuardSettings& operator=(const GuardSettings&) = delete;

    // Reads path; false when it cannot be opened (the fields keep their values).
    bool load(const std::string& path);
    // Writes path in full or not at all: the previous file stays byte for
    // byte unless the new one was written completely and flushed. A
    // read-only file is not written (false); the attributes of the file
    // replaced are kept.
    bool saveTo(const std::string& path);
    bool save() { return saveTo(configPath); }
    // Names the command log file from LogfilenameType and Logfilepath.
    void buildLogFileName();

    const std::string& getLogFileName() const { return logFileName; }
    const std::string& getLogfilepath() const { return v.logfilepath; }
    const std::string& getPassword() const { return v.password; }
    bool getAllowDisable() const { return v.allowDisable; }
    bool getProtection() const { return v.protection; }
    bool getEnableLogging() const { return v.enableLogging; }
    int getTimeInactivity() const { return v.timeInactivity; }
    int getTimeCountdown() const { return v.timeCountdown; }
    int getAction() const { return v.action; }
    int getLogfilenameType() const { return v.logfilenameType; }
    bool getCountInput() const { return v.countInput; }
    bool getCancelWaiting() const { return v.cancelWaiting; }
    const std::string& getJournalpath() const { return v.journalpath; }
    bool getDryRun() const { return v.dryRun; }

    bool setLogfilepath(const std::string& x) { return v.logfilepath = x, true; }
    bool setPassword(const std::string& x) { return v.password = x, true; }
    bool setAllowDisable(bool x) { return v.allowDisable = x, true; }
    bool setProtection(bool x) { return v.protection = x, true; }
    bool setEnableLogging(bool x) { return v.enableLogging = x, true; }
    bool setTimeInactivity(int x) { return v.timeInactivity = x, true; }
    bool setTimeCountdown(int x) { return v.timeCountdown = x, true; }
    bool setAction(int x) { return v.action = x, true; }
    bool setLogfilenameType(int x) { return v.logfilenameType = x, true; }
    bool setCountInput(bool x) { return v.countInput = x, true; }
    bool setCancelWaiting(bool x) { return v.cancelWaiting = x, true; }
    bool setJournalpath(const std::string& x) { return v.journalpath = x, true; }
    bool setDryRun(bool x) { return v.dryRun = x, true; }

    // True without protection, else exactly when text is the password.
    bool checkPassword(const std::string& text) const;

    // Every setting at once, as the file holds them.
    const settingsformat::Values& values() const { return v; }
    void setValues(const settingsformat::Values& x) { v = x; }

  private:
    std::string configPath;
    std::string logFileName;
    settingsformat::Values v;
};
