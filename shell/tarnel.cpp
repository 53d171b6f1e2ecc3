// The application object and the host's entry point. The extension-module
// record it relies on (extensionmodule.cpp) is zeroed and its pointer set by
// static initialisation, before any object like this one is built.
#include "acrx.h"
#include "common/shield.h"
#include "shell/guardapp.h"

static GuardApp guardApplication;

extern "C" __declspec(dllexport) AcRx::AppRetCode
    acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
    AcRx::AppRetCode result = AcRx::kRetOK;
    shielded([&] {
        if (ArxApplication* app = currentApp()) result = app->dispatch(msg, appId);
    });
    return result;
}
