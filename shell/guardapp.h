// The one application object: start-up, shut-down and the host's messages.
#pragma once
#include <memory>
#include <string>
#include "arxapplication.h"

class GuardSettings;

class GuardApp : public ArxApplication {
  public:
    GuardApp();
    ~GuardApp() override;
    AcRx::AppRetCode onInitApp() override;
    AcRx::AppRetCode onUnloadApp() override;
    AcRx::AppRetCode onLoadDwg() override;
    void registerCommands() override;
    void unregisterCommands() override;

    GuardSettings* settings() const { return settings_; }
    // Opens the help file at the given context.
    void showHelp(int contextId);
    // Appends a block to the report log and leaves the registry message.
    void writeSessionReport(const std::string& target, int action, int status);

  private:
    GuardSettings* settings_ = nullptr; // owned from onInitApp to onUnloadApp
    HMODULE helpLibrary_ = nullptr;     // loaded on first use, never freed
};

GuardApp* guardApp();
// The settings of the running module, or null before start-up and after unload.
GuardSettings* appSettings();
// Shows the message the previous run left in the registry, then deletes it.
void showLastRunMessage();
// "%s\Tarnel" below the host's product key.
std::string tarnelRegistryKey();
