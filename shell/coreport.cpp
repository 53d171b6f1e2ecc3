// The core's side of the port: the notifications the host adapter calls,
// each a shielded call into the application object, so no exception
// reaches the adapter.
#include "port/hostport.h"
#include "acrx.h"
#include "common/shield.h"
#include "shell/arxapplication.h"

namespace {

// A host message to the application object; its code, or kRetError when
// there is none or its handler threw.
AcRx::AppRetCode dispatchToApp(int code, void* appId) {
    AcRx::AppRetCode result = AcRx::kRetError;
    shielded([&] {
        if (ArxApplication* app = currentApp()) result = app->dispatch(code, appId);
    });
    return result;
}

int TARNEL_CALL initApp(TarnelCore, void* appId) {
    return dispatchToApp(AcRx::kInitAppMsg, appId) == AcRx::kRetOK ? 0 : 1;
}

int TARNEL_CALL unloadApp(TarnelCore, void* appId) {
    return dispatchToApp(AcRx::kUnloadAppMsg, appId) == AcRx::kRetOK ? 0 : 1;
}

void TARNEL_CALL loadDrawing(TarnelCore, void* appId) {
    dispatchToApp(AcRx::kLoadDwgMsg, appId);
}

} // namespace

extern "C" int TARNEL_CALL TarnelCoreOpen(const TarnelHostOps* host, TarnelCoreEvents* events) {
    const int hostFit = TarnelPortFit(host, sizeof(TarnelHostOps), TARNEL_PORT_VERSION);
    if (hostFit != TARNEL_PORT_FITS) return hostFit;
    const int eventsFit = TarnelPortFit(events, sizeof(TarnelCoreEvents), TARNEL_PORT_VERSION);
    if (eventsFit != TARNEL_PORT_FITS) return eventsFit;
    // Only what this core fills; the reactors still reach it through the host.
    TarnelCoreEvents filled = {};
    filled.size = sizeof filled;
    filled.version = TARNEL_PORT_VERSION;
    filled.initApp = initApp;
    filled.unloadApp = unloadApp;
    filled.loadDrawing = loadDrawing;
    *events = filled;
    return TARNEL_PORT_FITS;
}
