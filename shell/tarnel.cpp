// The module's static objects and the host's entry point.
#include "acrx.h"
#include "common/shield.h"
#include "shell/extensionmodule.h"
#include "shell/guardapp.h"

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
    AcRx::AppRetCode result = AcRx::kRetOK;
    shielded([&] {
        if (ArxApplication* app = currentApp()) result = app->dispatch(msg, appId);
    });
    return result;
}
