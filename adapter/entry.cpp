// The host's entry into the module, in the dialect the host's compiler
// reads (C++98, no standard library, exceptions or RTTI): the messages the
// core needs go to it through the port; the others are answered here.
#include <windows.h>
#include "acrx.h"
#include "port/hostport.h"

namespace {

TarnelHostOps hostOps;
TarnelCoreEvents coreEvents;
int coreFit = -1; // not asked yet

// The core's table, asked for once; TARNEL_PORT_FITS or why not.
int openCore() {
    if (coreFit >= 0) return coreFit;
    ZeroMemory(&hostOps, sizeof hostOps);
    hostOps.size = sizeof hostOps;
    hostOps.version = TARNEL_PORT_VERSION;
    ZeroMemory(&coreEvents, sizeof coreEvents);
    coreEvents.size = sizeof coreEvents;
    coreEvents.version = TARNEL_PORT_VERSION;
    coreFit = TarnelCoreOpen(&hostOps, &coreEvents);
    return coreFit;
}

} // namespace

extern "C" __declspec(dllexport) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg,
                                                                  void* appId) {
    if (openCore() != TARNEL_PORT_FITS) {
        // A core of another port version: the module does not load.
        return msg == AcRx::kInitAppMsg ? AcRx::kRetError : AcRx::kRetOK;
    }
    switch (msg) {
    case AcRx::kInitAppMsg:
        return coreEvents.initApp(coreEvents.core, appId) == 0 ? AcRx::kRetOK : AcRx::kRetError;
    case AcRx::kUnloadAppMsg:
        return coreEvents.unloadApp(coreEvents.core, appId) == 0 ? AcRx::kRetOK
                                                                  : AcRx::kRetError;
    case AcRx::kLoadDwgMsg:
        coreEvents.loadDrawing(coreEvents.core, appId);
        return AcRx::kRetOK;
    default:
        return AcRx::kRetOK;
    }
}
