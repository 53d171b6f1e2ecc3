// Making the resource library current around dialogs and resource loads.
#pragma once
#include <windows.h>
#include "shell/hostcalls.h"
#include "afxshim.h"
#include "shell/arxapplication.h"

// MFC's current resource handle is the application's resource instance
// until the scope ends.
class ResourceScope {
  public:
    ResourceScope() : saved_(AfxGetModuleState()->m_hCurrentResourceHandle) {
        if (ArxApplication* app = currentApp())
            AfxGetModuleState()->m_hCurrentResourceHandle = app->resourceInstance();
    }
    ~ResourceScope() { AfxGetModuleState()->m_hCurrentResourceHandle = saved_; }
    ResourceScope(const ResourceScope&) = delete;
    ResourceScope& operator=(const ResourceScope&) = delete;

  private:
    HINSTANCE saved_;
};

// The host's document manager holds the given handle until the scope ends.
class HostResourceScope {
  public:
    explicit HostResourceScope(HINSTANCE handle) { host::pushResources(handle); }
    ~HostResourceScope() { host::popResources(); }
    HostResourceScope(const HostResourceScope&) = delete;
    HostResourceScope& operator=(const HostResourceScope&) = delete;
};
