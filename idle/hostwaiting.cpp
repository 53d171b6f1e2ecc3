#include "idle/hostwaiting.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include "idle/lispevaluation.h"
#include "idle/waitjudge.h"
#include "shell/hostcalls.h"

namespace {

struct LoadSample {
    bool valid = false;
    double cpuMs = 0;
    DWORD tick = 0;
};
// The window's start, and what the last window long enough to tell said.
LoadSample windowStart;
bool lastVerdict = false;

double filetimeMs(const FILETIME& f) {
    return (double)(((unsigned long long)f.dwHighDateTime << 32) | f.dwLowDateTime) / 10000.0;
}

LoadSample takeSample() {
    LoadSample s;
    FILETIME created, exited, kernel, user;
    if (GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) {
        s.valid = true;
        s.cpuMs = filetimeMs(kernel) + filetimeMs(user);
        s.tick = GetTickCount();
    }
    return s;
}

// How many owners up from w the main window is; 0 when it is not an owner.
int ownedDepth(HWND w, HWND main) {
    int depth = 0;
    for (HWND o = GetWindow(w, GW_OWNER); o; o = GetWindow(o, GW_OWNER)) {
        ++depth;
        if (o == main) return depth;
    }
    return 0;
}

struct ModalSearch {
    HWND main;
    std::vector<std::pair<int, HWND>> found; // depth, dialog
};

BOOL CALLBACK collectModal(HWND w, LPARAM data) {
    ModalSearch* search = reinterpret_cast<ModalSearch*>(data);
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (!IsWindowVisible(w) || lstrcmpA(cls, "#32770") != 0) return TRUE;
    if (int depth = ownedDepth(w, search->main)) search->found.push_back({depth, w});
    return TRUE;
}

std::string windowText(HWND w) {
    char text[256] = {};
    GetWindowTextA(w, text, sizeof text);
    return text;
}

} // namespace

void restartLoadWatch() {
    windowStart = takeSample();
    lastVerdict = false;
}

bool uiThreadQuietSinceLastLook() {
    const LoadSample now = takeSample();
    if (!now.valid || !windowStart.valid) {
        windowStart = now;
        return lastVerdict = false;
    }
    const DWORD elapsed = now.tick - windowStart.tick;
    // A tick right after another (one nested in a pump, a late one) has too
    // short a window to tell: the last verdict stands and the window goes on.
    if (elapsed < kLoadWindowMinMs) return lastVerdict;
    lastVerdict = cpuSaysWaiting(now.cpuMs - windowStart.cpuMs, (double)elapsed);
    windowStart = now;
    return lastVerdict;
}

bool openDocuments(std::vector<TarnelDrawing>& docs) {
    if (!host::drawings(docs)) return false;
    docs.erase(std::remove(docs.begin(), docs.end(), nullptr), docs.end());
    return true;
}

bool busyDocuments(std::vector<TarnelDrawing>& busy) {
    if (!openDocuments(busy)) return false;
    busy.erase(std::remove_if(busy.begin(), busy.end(),
                              [](TarnelDrawing doc) { return host::quiescent(doc); }),
               busy.end());
    return true;
}

std::string waitingState(const std::vector<TarnelDrawing>& busy) {
    // Only the current document's CMDACTIVE can be read: a busy drawing
    // behind it counts as work.
    TarnelDrawing current = host::currentDrawing();
    for (TarnelDrawing doc : busy)
        if (doc != current) return std::string();
    int bits = 0;
    if (!host::shortVar("CMDACTIVE", bits)) return std::string();
    if (lispEvaluationRunning()) bits |= kCmdLisp;
    const std::string names = host::stringVar("CMDNAMES");
    if (!bitsSayWaiting(bits) || namesSayWorking(names)) return std::string();
    char state[32];
    std::snprintf(state, sizeof state, "%p %d ", static_cast<void*>(current), bits);
    return state + names;
}

std::string busyDescription(TarnelDrawing doc) {
    std::string what = "the LISP evaluation";
    if (doc == host::currentDrawing()) {
        const std::string names = host::stringVar("CMDNAMES");
        if (!names.empty()) what = "the command " + names;
    } else {
        what = "the command";
    }
    std::string name;
    if (!host::fileName(doc, name)) name = "a drawing";
    return what + " in " + name;
}

namespace {

// The dialogs modal over the host's main window, innermost first; none
// while the main window takes input.
std::vector<HWND> modalDialogs() {
    std::vector<HWND> dialogs;
    ModalSearch search{host::mainWindow(), {}};
    if (!search.main || IsWindowEnabled(search.main)) return dialogs;
    EnumThreadWindows(GetCurrentThreadId(), collectModal, reinterpret_cast<LPARAM>(&search));
    std::sort(search.found.begin(), search.found.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& d : search.found)
        dialogs.push_back(d.second);
    return dialogs;
}

std::string dialogDescription(HWND dialog) {
    return "the dialog \"" + windowText(dialog) + "\"";
}

} // namespace

std::vector<std::string> whatWaits(const std::vector<TarnelDrawing>& busy) {
    std::vector<std::string> what;
    for (HWND d : modalDialogs())
        what.push_back(dialogDescription(d));
    for (TarnelDrawing doc : busy)
        what.push_back(busyDescription(doc));
    return what;
}

std::vector<std::string> cancelWhatWaits(const std::vector<TarnelDrawing>& busy) {
    std::vector<std::string> what;
    for (HWND d : modalDialogs()) {
        what.push_back(dialogDescription(d));
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(d, IDCANCEL)));
    }
    for (TarnelDrawing doc : busy) {
        what.push_back(busyDescription(doc));
        host::sendString(doc, "\x03\x03");
    }
    return what;
}
