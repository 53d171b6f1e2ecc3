#include "shell/hostcalls.h"
#include <algorithm>
#include <cstdlib>

namespace {

const TarnelHostOps* table = nullptr;

TarnelHost self() {
    return table->host;
}

// A text the host gives through a buffer: asked once, and again with room
// for what it said it needs; false when the status says there is none.
template <typename Ask> bool askText(Ask ask, std::string& text) {
    char small[260];
    int status = TARNEL_DONE;
    const unsigned long length = ask(small, sizeof small, &status);
    if (status != TARNEL_DONE) return false;
    if (length < sizeof small) {
        text.assign(small, length);
        return true;
    }
    std::string big(length + 1, '\0');
    const unsigned long again = ask(&big[0], (unsigned long)big.size(), &status);
    if (status != TARNEL_DONE) return false;
    big.resize(again < length ? again : length);
    text = big;
    return true;
}

} // namespace

namespace host {

void use(const TarnelHostOps* ops) {
    table = ops;
}

bool drawings(std::vector<TarnelDrawing>& out) {
    out.clear();
    if (!table) return false;
    // Room for as many as there were last time (asked on the host's thread
    // only), so a tick asks the host once.
    static std::vector<TarnelDrawing> buffer(16);
    for (;;) {
        const int count = table->listDrawings(self(), buffer.data(), (int)buffer.size());
        if (count < 0) return false;
        if (count <= (int)buffer.size()) {
            out.assign(buffer.begin(), buffer.begin() + count);
            return true;
        }
        buffer.resize(count); // more than last time: asked again
    }
}

bool stillOpen(TarnelDrawing drawing) {
    std::vector<TarnelDrawing> open;
    return drawings(open) && std::find(open.begin(), open.end(), drawing) != open.end();
}

int drawingCount() {
    return table ? table->drawingCount(self()) : 0;
}

TarnelDrawing currentDrawing() {
    return table ? table->currentDrawing(self()) : nullptr;
}

bool fileName(TarnelDrawing drawing, std::string& name) {
    if (!table || !drawing) return false;
    return askText(
        [&](char* buffer, unsigned long size, int* status) {
            return table->drawingFileName(self(), drawing, buffer, size, status);
        },
        name);
}

bool hasDatabase(TarnelDrawing drawing) {
    return table && drawing && table->drawingHasDatabase(self(), drawing) != 0;
}

bool quiescent(TarnelDrawing drawing) {
    return table && drawing && table->drawingQuiescent(self(), drawing) != 0;
}

bool saveAs(TarnelDrawing drawing, const std::string& path) {
    return table && table->saveDrawingAs(self(), drawing, path.c_str()) == TARNEL_DONE;
}

bool closeDrawing(TarnelDrawing drawing) {
    return table && table->closeDrawing(self(), drawing) == TARNEL_DONE;
}

void makeCurrentForWrite(TarnelDrawing drawing) {
    if (table) table->makeCurrentForWrite(self(), drawing);
}

void unlock(TarnelDrawing drawing) {
    if (table) table->unlockDrawing(self(), drawing);
}

void pushDbmod(TarnelDrawing drawing) {
    if (table) table->pushDbmod(self(), drawing);
}

void popDbmod(TarnelDrawing drawing) {
    if (table) table->popDbmod(self(), drawing);
}

namespace {
bool variable(const char* name, std::string& value) {
    if (!table) return false;
    return askText(
        [&](char* buffer, unsigned long size, int* status) {
            return table->getVar(self(), name, buffer, size, status);
        },
        value);
}
} // namespace

std::string stringVar(const char* name) {
    std::string text;
    return variable(name, text) ? text : std::string();
}

bool shortVar(const char* name, int& value) {
    std::string text;
    if (!variable(name, text) || text.empty()) return false;
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0') return false; // text, not a number
    value = (int)number;
    return true;
}

void sendString(TarnelDrawing drawing, const char* text) {
    if (table) table->sendString(self(), drawing, text);
}

namespace {
struct ContextCall {
    void (*fn)(void*);
    void* data;
};
void TARNEL_CALL runContextCall(void* data) {
    ContextCall* call = static_cast<ContextCall*>(data);
    call->fn(call->data);
}
} // namespace

void inApplicationContext(void (*fn)(void* data), void* data) {
    if (!table) return;
    ContextCall call = {fn, data};
    table->inApplicationContext(self(), runContextCall, &call);
}

std::string productKey() {
    const char* key = table ? table->productKey(self()) : nullptr;
    return key ? key : "";
}

HWND mainWindow() {
    return table ? static_cast<HWND>(table->mainWindow(self())) : nullptr;
}

bool pumpMessage() {
    if (table) return table->pumpMessage(self()) != 0;
    MSG msg;
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
        PostQuitMessage((int)msg.wParam); // the loop it belongs to ends on it
        return false;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void pushResources(HINSTANCE module) {
    if (table) table->pushResources(self(), module);
}

void popResources() {
    if (table) table->popResources(self());
}

void lockApplication() {
    if (table) table->lockApplication(self());
}

void unlockApplication() {
    if (table) table->unlockApplication(self());
}

} // namespace host
