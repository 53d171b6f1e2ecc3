// The application base class that turns host messages into virtual calls.
#pragma once
#include <windows.h>
#include "shell/appmessage.h"

class ArxApplication {
  public:
    ArxApplication();
    virtual ~ArxApplication();
    virtual const char* moduleFileName();
    virtual const char* moduleDirectory();
    virtual void* appId() { return appId_; }
    virtual appmsg::Result onInitApp() { return appmsg::kRetOK; }
    virtual appmsg::Result onUnloadApp() { return appmsg::kRetOK; }
    virtual appmsg::Result onLoadDwg() { return appmsg::kRetOK; }
    virtual appmsg::Result onUnloadDwg() { return appmsg::kRetOK; }
    virtual appmsg::Result onSave() { return appmsg::kRetOK; }
    virtual appmsg::Result onEnd() { return appmsg::kRetOK; }
    virtual appmsg::Result onQuit() { return appmsg::kRetOK; }
    virtual appmsg::Result onCfg() { return appmsg::kRetOK; }
    virtual appmsg::Result onInvkSubr() { return appmsg::kRetOK; }
    virtual appmsg::Result onDependency() { return appmsg::kRetOK; }
    virtual appmsg::Result onNoDependency() { return appmsg::kRetOK; }
    virtual appmsg::Result onOleUnloadApp() { return appmsg::kRetOK; }
    virtual appmsg::Result onPreQuit() { return appmsg::kRetOK; }
    virtual appmsg::Result onInitDialog(void*) { return appmsg::kRetOK; }
    virtual appmsg::Result onEndDialog(void*) { return appmsg::kRetOK; }
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
    appmsg::Result dispatch(int code, void* pointer);

  private:
    appmsg::Result initSequence();
    appmsg::Result unloadSequence();

    HINSTANCE moduleInstance_ = nullptr;
    HINSTANCE resourceInstance_ = nullptr;
    void* appId_ = nullptr;
    ArxApplication* previous_; // the application current before this one
};

ArxApplication* currentApp();
