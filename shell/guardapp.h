// The one application object: start-up, shut-down and the host's messages.
#pragma once
#include <memory>
#include <set>
#include <string>
#include "idle/sessionreport.h"
#include "shell/arxapplication.h"
#include "shell/registrymessage.h"

class GuardSettings;

class GuardApp : public ArxApplication {
  public:
    GuardApp();
    ~GuardApp() override;
    appmsg::Result onInitApp() override;
    appmsg::Result onUnloadApp() override;
    appmsg::Result onLoadDwg() override;

    GuardSettings* settings() const { return settings_.get(); }
    // Opens the help file at the given context.
    void showHelp(int contextId);
    // Appends a block to the report log and leaves the registry message.
    void writeSessionReport(const std::string& target, int action, int status,
                            MessageChoice choice = MessageChoice::Replace);
    // Reads Group Policy again and puts it in force; each value ignored is
    // reported once a session.
    void refreshPolicy();

  private:
    std::unique_ptr<GuardSettings> settings_; // from onInitApp to onUnloadApp
    HMODULE helpLibrary_ = nullptr;           // loaded on first use, never freed
    unsigned unloads_ = 0;                    // onUnloadApp calls so far
    std::set<std::string> policyFaultsReported_;
    void reportPolicyFaults();
};

// The running GuardApp, or null when the current application is none.
GuardApp* guardApp();
// The settings of the running module, or null before start-up and after unload.
GuardSettings* appSettings();
