// The module's settings and the scrambled settings file that keeps them,
// with the values Group Policy sets over the file's: the getters give the
// values in effect, the setters and the file the seat's own.
#pragma once
#include <string>
#include <vector>
#include "settings/settingsformat.h"
#include "settings/settingspolicy.h"

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
    const std::string& getLogfilepath() const { return e.logfilepath; }
    const std::string& getPassword() const { return e.password; }
    bool getAllowDisable() const { return e.allowDisable; }
    bool getProtection() const { return e.protection; }
    bool getEnableLogging() const { return e.enableLogging; }
    int getTimeInactivity() const { return e.timeInactivity; }
    int getTimeCountdown() const { return e.timeCountdown; }
    int getAction() const { return e.action; }
    int getLogfilenameType() const { return e.logfilenameType; }
    bool getCountInput() const { return e.countInput; }
    bool getCancelWaiting() const { return e.cancelWaiting; }
    const std::string& getJournalpath() const { return e.journalpath; }
    bool getDryRun() const { return e.dryRun; }
    const std::string& getLicenseServer() const { return e.licenseServer; }
    const std::string& getLicenseFeature() const { return e.licenseFeature; }
    int getLicenseFree() const { return e.licenseFree; }
    int getLicenseRecheck() const { return e.licenseRecheck; }
    const std::string& getLicenseTool() const { return e.licenseTool; }

    // The seat's own value, which the file keeps; false, storing nothing,
    // for a setting Group Policy sets, and for every one under LockOptions
    // (the options dialog's OK stores only what the user could change).
    bool setLogfilepath(const std::string& x) {
        return own(&settingsformat::Values::logfilepath, x);
    }
    bool setPassword(const std::string& x) { return own(&settingsformat::Values::password, x); }
    bool setAllowDisable(bool x) { return own(&settingsformat::Values::allowDisable, x); }
    bool setProtection(bool x) { return own(&settingsformat::Values::protection, x); }
    bool setEnableLogging(bool x) { return own(&settingsformat::Values::enableLogging, x); }
    bool setTimeInactivity(int x) { return own(&settingsformat::Values::timeInactivity, x); }
    bool setTimeCountdown(int x) { return own(&settingsformat::Values::timeCountdown, x); }
    bool setAction(int x) { return own(&settingsformat::Values::action, x); }
    bool setLogfilenameType(int x) { return own(&settingsformat::Values::logfilenameType, x); }
    bool setCountInput(bool x) { return own(&settingsformat::Values::countInput, x); }
    bool setCancelWaiting(bool x) { return own(&settingsformat::Values::cancelWaiting, x); }
    bool setJournalpath(const std::string& x) {
        return own(&settingsformat::Values::journalpath, x);
    }
    bool setDryRun(bool x) { return own(&settingsformat::Values::dryRun, x); }

    // True without protection, else exactly when text is the password.
    bool checkPassword(const std::string& text) const;

    // Every setting at once, as the file holds them.
    const settingsformat::Values& values() const { return v; }
    void setValues(const settingsformat::Values& x) { v = x, applyPolicy(); }
    // Whether the file last loaded set the key (its index in kKeys).
    bool fromFile(int key) const { return (size_t)key < fileKeys.size() && fileKeys[(size_t)key]; }
    // Every setting in effect: the file's, and Group Policy's over them.
    const settingsformat::Values& effectiveValues() const { return e; }

    // Group Policy as read last; setPolicy puts another in force (the
    // file's values stay the seat's own).
    const settingspolicy::Policy& policy() const { return policy_; }
    void setPolicy(settingspolicy::Policy p) { policy_ = std::move(p), applyPolicy(); }

  private:
    void applyPolicy() { e = settingspolicy::applied(v, policy_); }
    template <typename T> bool own(T settingsformat::Values::*field, const T& x) {
        const int key = settingsformat::keyIndexOf(field);
        if (policy_.lockOptions || (key >= 0 && policy_.sets(key))) return false;
        v.*field = x;
        applyPolicy();
        return true;
    }
    std::string configPath;
    std::string logFileName;
    settingsformat::Values v; // the file's
    std::vector<bool> fileKeys;
    settingsformat::Values e; // in effect
    settingspolicy::Policy policy_;
};
