// The host's operations the core asks for through the port, each one a
// call of the host's own API, with text copied into the core's buffers.
#include <windows.h>
#include "acdocman.h"
#include "aced.h"
#include "acrx.h"
#include "afxshim.h"
#include "adapter/adapter.h"

// The host's text is allocated by the C runtime the host and the adapter
// share (the DLL runtime, /MD), and freed with it.
extern "C" void __cdecl free(void* block);

namespace {

void* theAppId = 0;

AcApDocument* document(TarnelDrawing drawing) {
    return reinterpret_cast<AcApDocument*>(drawing);
}

TarnelDrawing handle(AcApDocument* doc) {
    return reinterpret_cast<TarnelDrawing>(doc);
}

// text into buffer, cut to its size and always ended; text's length.
unsigned long copyOut(const char* text, char* buffer, unsigned long size) {
    const unsigned long length = (unsigned long)lstrlenA(text);
    if (buffer && size > 0) {
        const unsigned long n = length < size ? length : size - 1;
        CopyMemory(buffer, text, n);
        buffer[n] = '\0';
    }
    return length;
}

int TARNEL_CALL listDrawings(TarnelHost, TarnelDrawing* buffer, int size) {
    AcApDocManager* manager = acDocManagerPtr();
    AcApDocumentIterator* it = manager ? manager->newAcApDocumentIterator() : 0;
    if (!it) return -1;
    int count = 0;
    for (; !it->done(); it->step()) {
        if (count < size) buffer[count] = handle(it->document());
        ++count;
    }
    delete it;
    return count;
}

int TARNEL_CALL drawingCount(TarnelHost) {
    AcApDocManager* manager = acDocManagerPtr();
    return manager ? manager->documentCount() : 0;
}

TarnelDrawing TARNEL_CALL currentDrawing(TarnelHost) {
    AcApDocManager* manager = acDocManagerPtr();
    return manager ? handle(manager->curDocument()) : 0;
}

unsigned long TARNEL_CALL drawingFileName(TarnelHost, TarnelDrawing drawing, char* buffer,
                                          unsigned long size, int* status) {
    const char* name = drawing ? document(drawing)->fileName() : 0;
    *status = name ? TARNEL_DONE : TARNEL_NO_SUCH;
    return copyOut(name ? name : "", buffer, size);
}

int TARNEL_CALL drawingHasDatabase(TarnelHost, TarnelDrawing drawing) {
    return drawing && document(drawing)->database() != 0;
}

int TARNEL_CALL drawingQuiescent(TarnelHost, TarnelDrawing drawing) {
    return drawing && document(drawing)->isQuiescent();
}

int TARNEL_CALL saveDrawingAs(TarnelHost, TarnelDrawing drawing, const char* path) {
    AcDbDatabase* db = drawing ? document(drawing)->database() : 0;
    if (!db) return TARNEL_NO_SUCH;
    return db->saveAs(path) == Acad::eOk ? TARNEL_DONE : TARNEL_REFUSED;
}

int TARNEL_CALL closeDrawing(TarnelHost, TarnelDrawing drawing) {
    AcApDocManager* manager = acDocManagerPtr();
    if (!manager || !drawing) return TARNEL_NO_SUCH;
    return manager->closeDocument(document(drawing)) == Acad::eOk ? TARNEL_DONE : TARNEL_REFUSED;
}

int TARNEL_CALL makeCurrentForWrite(TarnelHost, TarnelDrawing drawing) {
    AcApDocManager* manager = acDocManagerPtr();
    if (!manager || !drawing) return TARNEL_NO_SUCH;
    return manager->setCurDocument(document(drawing), AcAp::kWrite, false) == Acad::eOk
               ? TARNEL_DONE
               : TARNEL_REFUSED;
}

void TARNEL_CALL unlockDrawing(TarnelHost, TarnelDrawing drawing) {
    AcApDocManager* manager = acDocManagerPtr();
    if (manager && drawing) manager->unlockDocument(document(drawing));
}

void TARNEL_CALL pushDbmod(TarnelHost, TarnelDrawing drawing) {
    if (drawing) document(drawing)->pushDbmod();
}

void TARNEL_CALL popDbmod(TarnelHost, TarnelDrawing drawing) {
    if (drawing) document(drawing)->popDbmod();
}

unsigned long TARNEL_CALL getVar(TarnelHost, const char* name, char* buffer, unsigned long size,
                                 int* status) {
    resbuf rb;
    ZeroMemory(&rb, sizeof rb);
    *status = TARNEL_NO_SUCH;
    if (acedGetVar(name, &rb) != RTNORM) return copyOut("", buffer, size);
    if (rb.restype == RTSHORT) {
        char number[16];
        wsprintfA(number, "%d", (int)rb.resval.rint);
        *status = TARNEL_DONE;
        return copyOut(number, buffer, size);
    }
    if (rb.restype == RTSTR && rb.resval.rstring) {
        *status = TARNEL_DONE;
        const unsigned long length = copyOut(rb.resval.rstring, buffer, size);
        free(rb.resval.rstring); // the host's text, the caller's to free
        return length;
    }
    return copyOut("", buffer, size);
}

int TARNEL_CALL sendString(TarnelHost, TarnelDrawing drawing, const char* text) {
    AcApDocManager* manager = acDocManagerPtr();
    if (!manager || !drawing) return TARNEL_NO_SUCH;
    return manager->sendStringToExecute(document(drawing), text, false, false, false) == Acad::eOk
               ? TARNEL_DONE
               : TARNEL_REFUSED;
}

// The core's function and its data, as the host's context calls them.
struct ContextCall {
    void(TARNEL_CALL* fn)(void*);
    void* data;
};

void runContextCall(void* data) {
    ContextCall* call = static_cast<ContextCall*>(data);
    call->fn(call->data);
}

int TARNEL_CALL inApplicationContext(TarnelHost, void(TARNEL_CALL* fn)(void*), void* data) {
    AcApDocManager* manager = acDocManagerPtr();
    if (!manager) return TARNEL_NO_SUCH;
    // The host runs it before the call returns.
    ContextCall call = {fn, data};
    manager->executeInApplicationContext(runContextCall, &call);
    return TARNEL_DONE;
}

const char* TARNEL_CALL productKey(TarnelHost) {
    return acrxProductKey();
}

void* TARNEL_CALL mainWindow(TarnelHost) {
    return adsw_acadMainWnd();
}

int TARNEL_CALL pumpMessage(TarnelHost) {
    CWinApp* app = acedGetAcadWinApp();
    if (!app || app->PumpMessage()) return 1;
    // The host's loop ends on the same WM_QUIT.
    const MSG* quit = AfxGetCurrentMessage();
    PostQuitMessage(quit && quit->message == WM_QUIT ? (int)quit->wParam : 0);
    return 0;
}

void TARNEL_CALL pushResources(TarnelHost, void* module) {
    if (AcApDocManager* manager = acDocManagerPtr())
        manager->pushResourceHandle(static_cast<HINSTANCE>(module));
}

void TARNEL_CALL popResources(TarnelHost) {
    if (AcApDocManager* manager = acDocManagerPtr()) manager->popResourceHandle();
}

void TARNEL_CALL lockApplication(TarnelHost) {
    acrxLockApplication(theAppId);
}

void TARNEL_CALL unlockApplication(TarnelHost) {
    acrxUnlockApplication(theAppId);
}

} // namespace

void setAppId(void* appId) {
    theAppId = appId;
}

void fillHostOps(TarnelHostOps* ops) {
    ZeroMemory(ops, sizeof *ops);
    ops->size = sizeof *ops;
    ops->version = TARNEL_PORT_VERSION;
    ops->listDrawings = listDrawings;
    ops->drawingCount = drawingCount;
    ops->currentDrawing = currentDrawing;
    ops->drawingFileName = drawingFileName;
    ops->drawingHasDatabase = drawingHasDatabase;
    ops->drawingQuiescent = drawingQuiescent;
    ops->saveDrawingAs = saveDrawingAs;
    ops->closeDrawing = closeDrawing;
    ops->makeCurrentForWrite = makeCurrentForWrite;
    ops->unlockDrawing = unlockDrawing;
    ops->pushDbmod = pushDbmod;
    ops->popDbmod = popDbmod;
    ops->getVar = getVar;
    ops->sendString = sendString;
    ops->inApplicationContext = inApplicationContext;
    ops->productKey = productKey;
    ops->mainWindow = mainWindow;
    ops->pumpMessage = pumpMessage;
    ops->pushResources = pushResources;
    ops->popResources = popResources;
    ops->lockApplication = lockApplication;
    ops->unlockApplication = unlockApplication;
}
