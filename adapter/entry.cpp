// The host's entry into the module, in the dialect the host's compiler
// reads (C++98, no standard library, exceptions or RTTI): the host's
// messages the core needs go to it through the port, with the host's
// operations and events joined to it at start and parted at unload.
#include <windows.h>
#include "aced.h"
#include "acrx.h"
#include "adapter/adapter.h"
#include "port/hostport.h"

namespace {

TarnelHostOps hostOps;
TarnelCoreEvents coreEvents;
bool coreOpen = false;

// The core opened for a start, with the host's operations, which live as
// long as the module does; false, with the reason on the command line,
// when it is missing or refuses them.
bool openCore() {
    if (coreOpen) return true;
    char path[MAX_PATH];
    char why[512];
    why[0] = '\0';
    if (!corePath(path)) lstrcpyA(path, "TarnelCore.dll");
    TarnelCoreOpenFn open = loadCore(path, why, sizeof why);
    if (open) {
        fillHostOps(&hostOps);
        ZeroMemory(&coreEvents, sizeof coreEvents);
        coreEvents.size = sizeof coreEvents;
        coreEvents.version = TARNEL_PORT_VERSION;
        const int fit = open(&hostOps, &coreEvents);
        coreOpen = fit == TARNEL_PORT_FITS;
        if (!coreOpen) TarnelPortFitText(fit, path, coreEvents.version, why, sizeof why);
    }
    if (!coreOpen) acutPrintf("\nTarnel: %s\n", why);
    return coreOpen;
}

void closeCore() {
    if (coreOpen) coreEvents.close(coreEvents.core);
    coreOpen = false;
}

AcRx::AppRetCode initApp(void* appId) {
    // A core of another port version: the module does not load.
    if (!openCore()) return AcRx::kRetError;
    setAppId(appId);
    acrxUnlockApplication(appId);
    if (AcRxObject* linker = hostService("DynamicLinker", "AcRxDynamicLinker"))
        static_cast<AcRxDynamicLinker*>(linker)->registerAppMDIAware(appId);
    acrxBuildClassHierarchy();
    attachHostEvents(&coreEvents);
    if (coreEvents.initApp(coreEvents.core, appId) == 0) return AcRx::kRetOK;
    detachHostEvents();
    closeCore();
    return AcRx::kRetError;
}

AcRx::AppRetCode unloadApp(void* appId) {
    if (!coreOpen) return AcRx::kRetOK;
    // A core that stays keeps its events.
    if (coreEvents.unloadApp(coreEvents.core, appId) != 0) return AcRx::kRetError;
    detachHostEvents();
    closeCore();
    return AcRx::kRetOK;
}

} // namespace

extern "C" __declspec(dllexport) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg,
                                                                  void* appId) {
    switch (msg) {
    case AcRx::kInitAppMsg:
        return initApp(appId);
    case AcRx::kUnloadAppMsg:
        return unloadApp(appId);
    case AcRx::kLoadDwgMsg:
        if (coreOpen) coreEvents.loadDrawing(coreEvents.core, appId);
        return AcRx::kRetOK;
    default:
        return AcRx::kRetOK;
    }
}
