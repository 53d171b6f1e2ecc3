// Making the resource library current around dialogs and resource loads.
#pragma once
#include <windows.h>
#include "shell/hostcalls.h"
#include "shell/arxapplication.h"
#include "ui/uiapp.h"

// The UI library's current resources are the application's resource
// instance until the scope ends.
class ResourceScope {
  public:
    ResourceScope() : scope_(currentApp() ? currentApp()->resourceInstance() : nullptr) {}

  private:
    ui::ResourceScope scope_;
};

// The host's document manager holds the given handle until the scope ends.
class HostResourceScope {
  public:
    explicit HostResourceScope(HINSTANCE handle) { host::pushResources(handle); }
    ~HostResourceScope() { host::popResources(); }
    HostResourceScope(const HostResourceScope&) = delete;
    HostResourceScope& operator=(const HostResourceScope&) = delete;
};
