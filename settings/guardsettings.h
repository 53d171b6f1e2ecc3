// The module's ten settings and the scrambled settings file that keeps them.
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
    const std::string& getLogfilepath() const { return Logfilepath; }
    const std::string& getPassword() const { return Password; }
    bool getAllowDisable() const { return AllowDisable; }
    bool getProtection() const { return Protection; }
    bool getEnableLogging() const { return EnableLogging; }
    int getTimeInactivity() const { return TimeInactivity; }
    int getTimeCountdown() const { return TimeCountdown; }
    int getAction() const { return Action; }
    int getLogfilenameType() const { return LogfilenameType; }
    bool getCountInput() const { return CountInput; }

    bool setLogfilepath(const std::string& v) { return Logfilepath = v, true; }
    bool setPassword(const std::string& v) { return Password = v, true; }
    bool setAllowDisable(bool v) { return AllowDisable = v, true; }
    bool setProtection(bool v) { return Protection = v, true; }
    bool setEnableLogging(bool v) { return EnableLogging = v, true; }
    bool setTimeInactivity(int v) { return TimeInactivity = v, true; }
    bool setTimeCountdown(int v) { return TimeCountdown = v, true; }
    bool setAction(int v) { return Action = v, true; }
    bool setLogfilenameType(int v) { return LogfilenameType = v, true; }
    bool setCountInput(bool v) { return CountInput = v, true; }

    // True without protection, else exactly when text is the password.
    bool checkPassword(const std::string& text) const;

    // All ten at once, as the file holds them.
    settingsformat::Values values() const;
    void setValues(const settingsformat::Values& v);

  private:
    std::string configPath;
    std::string logFileName;
    std::string Logfilepath;
    std::string Password;
    bool AllowDisable = false;
    bool Protection = false;
    bool EnableLogging = true;
    int TimeInactivity = 10;
    int TimeCountdown = 30;
    int Action = 2;
    int LogfilenameType = 1;
    bool CountInput = false;
};
