// The application base class that turns host messages into virtual calls.
#pragma once
#include <windows.h>
#include "acrx.h"

class ArxApplication {
  public:
    ArxApplication();
    virtual ~ArxApplication();
    virtual const char* moduleFileName();
    virtual const char* moduleDirectory();
    virtual void* appId() { return appId_; }
    virtual AcRx::AppRetCode onInitApp() { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onUnloadApp() { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onLoadDwg() { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onUnloadDwg() { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onSave() { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onEnd() { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onQuit() { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onCfg() { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onInvkSubr() { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onDependency() { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onNoDependency() { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onOleUnloadApp() { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onPreQuit() { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onInitDialog(void*) { return AcRx::kRetOK; }
    virtual AcRx::AppRetCode onEndDialog(void*) { return AcRx::kRetOK; }
    virtual void registerClasses() {}
    virtual void unregisterClasses() {}
    virtual void registerCommands() {}
    virtual void unregisterCommands() {}
    virtual void initHookB() {}
    virtual void unloadHook() {}
    virtual void initHookA() {}

    // The resource library if it is loaded, else the module itself.
    HINSTANCE resourceInstance() const {
        return resourceInstance_ ? resourceInstance_ : moduleInstance_;
    }
    HINSTANCE moduleInstance() const { return moduleInstance_; }
    void setModuleInstance(HINSTANCE h) { moduleInstance_ = h; }
    void setResourceInstance(HINSTANCE h) { resourceInstance_ = h; }
    HINSTANCE rawResourceInstance() const { return resourceInstance_; }

    // Stores the message's pointer, then runs the handler of the code.
    AcRx::AppRetCode dispatch(int code, void* pointer);

  private:
    AcRx::AppRetCode initSequence();
    AcRx::AppRetCode unloadSequence();

    HINSTANCE moduleInstance_ = nullptr;
    HINSTANCE resourceInstance_ = nullptr;
    void* appId_ = nullptr;
    ArxApplication* previous_; // the application current before this one
};

ArxApplication* currentApp();
