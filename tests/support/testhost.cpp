#include "testhost.h"
#include <algorithm>
#include <cstring>
#include <windows.h>

namespace testhost {

namespace {

Host& self(TarnelHost host) {
    return *reinterpret_cast<Host*>(host);
}

long id(TarnelDrawing drawing) {
    return (long)reinterpret_cast<intptr_t>(drawing);
}

TarnelDrawing handle(long id) {
    return reinterpret_cast<TarnelDrawing>((intptr_t)id);
}

Drawing* find(TarnelHost host, TarnelDrawing drawing) {
    auto& all = self(host).drawings;
    auto it = all.find(id(drawing));
    return it == all.end() ? nullptr : &it->second;
}

std::string nameOf(TarnelHost host, TarnelDrawing drawing) {
    Drawing* d = find(host, drawing);
    return d ? d->name : "(none)";
}

void note(TarnelHost host, const std::string& call) {
    self(host).calls.push_back(call);
}

unsigned long copyOut(const std::string& text, char* buffer, unsigned long size) {
    if (buffer && size > 0) {
        const size_t n = std::min<size_t>(text.size(), size - 1);
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return (unsigned long)text.size();
}

int TARNEL_CALL listDrawings(TarnelHost host, TarnelDrawing* buffer, int size) {
    const std::vector<long>& order = self(host).order;
    for (int i = 0; i < (int)order.size() && i < size; ++i)
        buffer[i] = handle(order[i]);
    return (int)order.size();
}

int TARNEL_CALL drawingCount(TarnelHost host) {
    return (int)self(host).order.size();
}

TarnelDrawing TARNEL_CALL currentDrawing(TarnelHost host) {
    return handle(self(host).current);
}

unsigned long TARNEL_CALL drawingFileName(TarnelHost host, TarnelDrawing drawing, char* buffer,
                                          unsigned long size, int* status) {
    Drawing* d = find(host, drawing);
    *status = d && d->named ? TARNEL_DONE : TARNEL_NO_SUCH;
    return copyOut(d && d->named ? d->name : "", buffer, size);
}

int TARNEL_CALL drawingHasDatabase(TarnelHost host, TarnelDrawing drawing) {
    Drawing* d = find(host, drawing);
    return d && d->database;
}

int TARNEL_CALL drawingQuiescent(TarnelHost host, TarnelDrawing drawing) {
    Drawing* d = find(host, drawing);
    return d && d->quiescent;
}

int TARNEL_CALL saveDrawingAs(TarnelHost host, TarnelDrawing drawing, const char* path) {
    note(host, "save " + nameOf(host, drawing) + " as " + path);
    Drawing* d = find(host, drawing);
    if (!d || !d->database) return TARNEL_NO_SUCH;
    if (d->refuseSaves > 0) {
        --d->refuseSaves;
        return TARNEL_REFUSED;
    }
    d->dbmod = d->dbmodAfterSave ? 1 : 0;
    return TARNEL_DONE;
}

int TARNEL_CALL closeDrawing(TarnelHost host, TarnelDrawing drawing) {
    note(host, "close " + nameOf(host, drawing));
    Host& h = self(host);
    h.order.erase(std::remove(h.order.begin(), h.order.end(), id(drawing)), h.order.end());
    h.drawings.erase(id(drawing));
    if (h.current == id(drawing)) h.current = h.order.empty() ? 0 : h.order.back();
    return TARNEL_DONE;
}

int TARNEL_CALL makeCurrentForWrite(TarnelHost host, TarnelDrawing drawing) {
    note(host, "current+lock " + nameOf(host, drawing));
    if (!find(host, drawing)) return TARNEL_NO_SUCH;
    self(host).current = id(drawing);
    return TARNEL_DONE;
}

void TARNEL_CALL unlockDrawing(TarnelHost host, TarnelDrawing drawing) {
    note(host, "unlock " + nameOf(host, drawing));
}

void TARNEL_CALL pushDbmod(TarnelHost host, TarnelDrawing drawing) {
    note(host, "push DBMOD " + nameOf(host, drawing));
}

void TARNEL_CALL popDbmod(TarnelHost host, TarnelDrawing drawing) {
    note(host, "pop DBMOD " + nameOf(host, drawing));
}

unsigned long TARNEL_CALL getVar(TarnelHost host, const char* name, char* buffer,
                                 unsigned long size, int* status) {
    note(host, std::string("read ") + name);
    *status = TARNEL_NO_SUCH;
    Drawing* d = find(host, handle(self(host).current));
    if (!d || lstrcmpiA(name, "DBMOD") != 0) return copyOut("", buffer, size);
    *status = TARNEL_DONE;
    return copyOut(std::to_string(d->dbmod), buffer, size);
}

int TARNEL_CALL sendString(TarnelHost host, TarnelDrawing drawing, const char* text) {
    note(host, "send " + nameOf(host, drawing) + " " +
                   (std::strcmp(text, "\x03\x03") == 0 ? std::string("^C^C") : text));
    return TARNEL_DONE;
}

int TARNEL_CALL inApplicationContext(TarnelHost host, void(TARNEL_CALL* fn)(void*), void* data) {
    note(host, "application context");
    fn(data);
    return TARNEL_DONE;
}

const char* TARNEL_CALL hostProductKey(TarnelHost host) {
    return self(host).productKey.c_str();
}

void* TARNEL_CALL mainWindow(TarnelHost) {
    return nullptr;
}

int TARNEL_CALL pumpMessage(TarnelHost host) {
    note(host, "pump");
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return 1;
    if (msg.message == WM_QUIT) {
        PostQuitMessage((int)msg.wParam);
        return 0;
    }
    DispatchMessageA(&msg);
    return 1;
}

void TARNEL_CALL pushResources(TarnelHost host, void*) {
    note(host, "push resources");
}

void TARNEL_CALL popResources(TarnelHost host) {
    note(host, "pop resources");
}

void TARNEL_CALL lockApplication(TarnelHost host) {
    note(host, "lock application");
}

void TARNEL_CALL unlockApplication(TarnelHost host) {
    note(host, "unlock application");
}

} // namespace

Host::Host() {
    ops_ = TarnelHostOps();
    ops_.size = sizeof ops_;
    ops_.version = TARNEL_PORT_VERSION;
    ops_.host = reinterpret_cast<TarnelHost>(this);
    ops_.listDrawings = listDrawings;
    ops_.drawingCount = drawingCount;
    ops_.currentDrawing = currentDrawing;
    ops_.drawingFileName = drawingFileName;
    ops_.drawingHasDatabase = drawingHasDatabase;
    ops_.drawingQuiescent = drawingQuiescent;
    ops_.saveDrawingAs = saveDrawingAs;
    ops_.closeDrawing = closeDrawing;
    ops_.makeCurrentForWrite = makeCurrentForWrite;
    ops_.unlockDrawing = unlockDrawing;
    ops_.pushDbmod = pushDbmod;
    ops_.popDbmod = popDbmod;
    ops_.getVar = getVar;
    ops_.sendString = sendString;
    ops_.inApplicationContext = inApplicationContext;
    ops_.productKey = hostProductKey;
    ops_.mainWindow = mainWindow;
    ops_.pumpMessage = pumpMessage;
    ops_.pushResources = pushResources;
    ops_.popResources = popResources;
    ops_.lockApplication = lockApplication;
    ops_.unlockApplication = unlockApplication;
}

TarnelDrawing Host::open(const Drawing& drawing) {
    const long id = next++;
    drawings[id] = drawing;
    order.push_back(id);
    current = id;
    return handle(id);
}

std::vector<std::string> Host::openNames() const {
    std::vector<std::string> names;
    for (long id : order)
        names.push_back(drawings.at(id).name);
    return names;
}

} // namespace testhost
