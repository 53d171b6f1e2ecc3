// The core's side of the port: its one application object, and the
// notifications the host adapter calls, each a shielded call into the core,
// so no exception reaches the adapter.
#include "port/hostport.h"
#include "shell/appmessage.h"
#include "cmdlog/attachreactors.h"
#include "cmdlog/tarnelreact.h"
#include "common/shield.h"
#include "idle/idletimer.h"
#include "idle/lispevaluation.h"
#include "options/optionscommand.h"
#include "shell/guardapp.h"
#include "shell/hostcalls.h"
#include "shell/resourcelibrary.h"
#include "ui/uiapp.h"

namespace {

GuardApp guardApplication;

// A host message to the application object; its code, or kRetError when
// there is none or its handler threw.
appmsg::Result dispatchToApp(int code, void* appId) {
    appmsg::Result result = appmsg::kRetError;
    shielded([&] {
        if (ArxApplication* app = currentApp()) result = app->dispatch(code, appId);
    });
    return result;
}

int TARNEL_CALL initApp(TarnelCore, void* appId) {
    return dispatchToApp(appmsg::kInitAppMsg, appId) == appmsg::kRetOK ? 0 : 1;
}

int TARNEL_CALL unloadApp(TarnelCore, void* appId) {
    return dispatchToApp(appmsg::kUnloadAppMsg, appId) == appmsg::kRetOK ? 0 : 1;
}

void TARNEL_CALL loadDrawing(TarnelCore, void* appId) {
    dispatchToApp(appmsg::kLoadDwgMsg, appId);
}

// An editor event for the command log's reactor, while one is attached,
// after what it means to the idle watch; nothing thrown leaves.
template <typename Call> void toReactor(void (*idleWatch)(), Call call) {
    shielded([&] {
        if (!commandLogReactor()) return; // not started, or unloaded
        if (idleWatch) idleWatch();
        call(*commandLogReactor());
    });
}

// The end of a command or evaluation is the user's activity, unless the
// module itself cancelled it before a close.
void userActivity() {
    if (!cancellingWaits()) resetIdle();
}
void lispEnds() {
    userActivity();
    lispEvaluationEnded();
}

void TARNEL_CALL commandWillStart(TarnelCore, TarnelDrawing, const char* name) {
    toReactor(nullptr, [&](CommandLogReactor& r) { r.commandWillStart(name); });
}
void TARNEL_CALL commandEnded(TarnelCore, TarnelDrawing, const char* name) {
    toReactor(userActivity, [&](CommandLogReactor& r) { r.commandEnded(name); });
}
void TARNEL_CALL commandCancelled(TarnelCore, TarnelDrawing, const char* name) {
    toReactor(userActivity, [&](CommandLogReactor& r) { r.commandCancelled(name); });
}
void TARNEL_CALL commandFailed(TarnelCore, TarnelDrawing, const char* name) {
    toReactor(userActivity, [&](CommandLogReactor& r) { r.commandFailed(name); });
}
void TARNEL_CALL lispWillStart(TarnelCore, TarnelDrawing, const char* expression) {
    toReactor(lispEvaluationStarted, [&](CommandLogReactor& r) { r.lispWillStart(expression); });
}
void TARNEL_CALL lispEnded(TarnelCore, TarnelDrawing) {
    toReactor(lispEnds, [](CommandLogReactor& r) { r.lispEnded(); });
}
void TARNEL_CALL lispCancelled(TarnelCore, TarnelDrawing) {
    toReactor(lispEnds, [](CommandLogReactor& r) { r.lispCancelled(); });
}
void TARNEL_CALL drawingToBeDestroyed(TarnelCore, TarnelDrawing drawing) {
    toReactor(nullptr, [&](CommandLogReactor& r) { r.documents().documentToBeDestroyed(drawing); });
}
// Nothing of the core follows a drawing's creation or activation.
void TARNEL_CALL drawingSeen(TarnelCore, TarnelDrawing) {}

void TARNEL_CALL options(TarnelCore) {
    optionsCommand(); // shields itself
}

void TARNEL_CALL close(TarnelCore) {
    shielded([] { closeResourceLibrary(); });
    ui::setApplication(ui::Application());
    host::use(nullptr);
}

HWND mainWindow() {
    return host::mainWindow();
}

// The host's key, valid until the next call.
const char* rootKey() {
    static std::string key;
    key = host::productKey();
    return key.c_str();
}

// Whether every operation of the host's table is there.
bool complete(const TarnelHostOps& h) {
    const void* entries[] = {
        reinterpret_cast<const void*>(h.listDrawings),
        reinterpret_cast<const void*>(h.drawingCount),
        reinterpret_cast<const void*>(h.currentDrawing),
        reinterpret_cast<const void*>(h.drawingFileName),
        reinterpret_cast<const void*>(h.drawingHasDatabase),
        reinterpret_cast<const void*>(h.drawingQuiescent),
        reinterpret_cast<const void*>(h.saveDrawingAs),
        reinterpret_cast<const void*>(h.closeDrawing),
        reinterpret_cast<const void*>(h.makeCurrentForWrite),
        reinterpret_cast<const void*>(h.unlockDrawing),
        reinterpret_cast<const void*>(h.pushDbmod),
        reinterpret_cast<const void*>(h.popDbmod),
        reinterpret_cast<const void*>(h.getVar),
        reinterpret_cast<const void*>(h.sendString),
        reinterpret_cast<const void*>(h.inApplicationContext),
        reinterpret_cast<const void*>(h.productKey),
        reinterpret_cast<const void*>(h.mainWindow),
        reinterpret_cast<const void*>(h.pumpMessage),
        reinterpret_cast<const void*>(h.pushResources),
        reinterpret_cast<const void*>(h.popResources),
        reinterpret_cast<const void*>(h.lockApplication),
        reinterpret_cast<const void*>(h.unlockApplication),
    };
    for (const void* entry : entries)
        if (!entry) return false;
    return true;
}

} // namespace

extern "C" int TARNEL_CALL TarnelCoreOpen(const TarnelHostOps* host, TarnelCoreEvents* events) {
    const int hostFit = TarnelPortFit(host, sizeof(TarnelHostOps), TARNEL_PORT_VERSION);
    // The adapter's sentence names this core's version.
    if (hostFit == TARNEL_PORT_OTHER_VERSION && events) events->version = TARNEL_PORT_VERSION;
    if (hostFit != TARNEL_PORT_FITS) return hostFit;
    // A table with an operation left out has fewer than this core needs.
    if (!complete(*host)) return TARNEL_PORT_TOO_SMALL;
    const int eventsFit = TarnelPortFit(events, sizeof(TarnelCoreEvents), TARNEL_PORT_VERSION);
    if (eventsFit != TARNEL_PORT_FITS) return eventsFit;
    host::use(host);
    ui::Application application;
    application.name = "AutoCAD";
    application.mainWindow = mainWindow;
    application.rootKey = rootKey;
    ui::setApplication(application);
    shielded([] { openResourceLibrary(); });
    TarnelCoreEvents filled = {};
    filled.size = sizeof filled;
    filled.version = TARNEL_PORT_VERSION;
    filled.initApp = initApp;
    filled.unloadApp = unloadApp;
    filled.loadDrawing = loadDrawing;
    filled.commandWillStart = commandWillStart;
    filled.commandEnded = commandEnded;
    filled.commandCancelled = commandCancelled;
    filled.commandFailed = commandFailed;
    filled.lispWillStart = lispWillStart;
    filled.lispEnded = lispEnded;
    filled.lispCancelled = lispCancelled;
    filled.drawingCreated = drawingSeen;
    filled.drawingToBeDestroyed = drawingToBeDestroyed;
    filled.drawingActivated = drawingSeen;
    filled.optionsCommand = options;
    filled.close = close;
    *events = filled;
    return TARNEL_PORT_FITS;
}
