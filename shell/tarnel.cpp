// The module's static objects and the host's entry point.
#include <exception>
#include "acrx.h"
#include "extensionmodule.h"
#include "guardapp.h"

// Built in this order before the library entry runs: the extension-module
// record (zeroed), its pointer, then the application object.
static ExtensionModuleRecord extensionModuleRecord = {};
static ExtensionModuleRecord* extensionModulePointer = &extensionModuleRecord;
static GuardApp guardApplication;

ExtensionModuleRecord* extensionRecord() {
    return extensionModulePointer;
}

extern "C" __declspec(dllexport) AcRx::AppRetCode
    acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
    try {
        ArxApplication* app = currentApp();
        return app ? app->dispatch(msg, appId) : AcRx::kRetOK;
    } catch (...) {
        // Nothing may cross into the host.
        return AcRx::kRetOK;
    }
}
