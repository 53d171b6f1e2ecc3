// cadhost.exe's work: switches, script runner and the message loop.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "internal.h"

namespace cadhost {

bool scriptRunning = false;

namespace {

const UINT kScriptStep = WM_APP + 1;
const UINT_PTR kIdleTimer = 0x5C01;
const UINT_PTR kTimeoutTimer = 0x5C02;

std::vector<std::string> scriptLines;
size_t scriptNext = 0;

bool readScript(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    char line[4096];
    while (std::fgets(line, sizeof line, f)) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        scriptLines.push_back(s);
    }
    std::fclose(f);
    return true;
}

// Runs script lines one per turn of the message loop; "@idle N" leaves the
// host with no command for N seconds before the next line.
void scriptStep() {
    while (scriptNext < scriptLines.size()) {
        std::string line = scriptLines[scriptNext++];
        size_t a = line.find_first_not_of(" \t");
        if (a == std::string::npos || line[a] == ';') continue;
        line = line.substr(a);
        if (_strnicmp(line.c_str(), "@idle", 5) == 0) {
            int seconds = std::atoi(line.c_str() + 5);
            transcript("idle %d s", seconds);
            scriptRunning = false;
            SetTimer(adsw_acadMainWnd(), kIdleTimer, (UINT)(seconds > 0 ? seconds : 0) * 1000,
                     nullptr);
            return;
        }
        scriptRunning = true;
        executeLine(line.c_str());
        if (HWND w = adsw_acadMainWnd()) PostMessageA(w, kScriptStep, 0, 0);
        return;
    }
    scriptRunning = false;
    if (!scriptLines.empty()) {
        transcript("script ended");
        scriptLines.clear();
    }
}

WNDPROC frameProc = nullptr;

LRESULT CALLBACK scriptedFrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kScriptStep) {
        scriptStep();
        return 0;
    }
    if (msg == WM_TIMER && wp == kIdleTimer) {
        KillTimer(hwnd, kIdleTimer);
        transcript("idle over");
        scriptStep();
        return 0;
    }
    if (msg == WM_TIMER && wp == kTimeoutTimer) {
        KillTimer(hwnd, kTimeoutTimer);
        transcript("timeout");
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return 0;
    }
    return CallWindowProcA(frameProc, hwnd, msg, wp, lp);
}

} // namespace

namespace {

// Faults met anywhere in the process, also those a dispatcher swallows (an
// access violation in a timer procedure): each is written to the transcript
// and makes the host end with status 3.
LONG faultCount = 0;

bool isFault(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_IN_PAGE_ERROR:
        return true;
    default:
        return false;
    }
}

LONG CALLBACK recordFault(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (isFault(r->ExceptionCode)) {
        InterlockedIncrement(&faultCount);
        transcript("fault 0x%08lx at %p", (unsigned long)r->ExceptionCode, r->ExceptionAddress);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

int runHost(int argc, char** argv) {
    AddVectoredExceptionHandler(1, recordFault);
    std::vector<std::string> modulesToLoad, drawings;
    const char* script = nullptr;
    int timeout = 0;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        bool hasValue = i + 1 < argc;
        if ((!_stricmp(a, "/b") || !_stricmp(a, "-b")) && hasValue)
            script = argv[++i];
        else if ((!_stricmp(a, "/ld") || !_stricmp(a, "-ld")) && hasValue)
            modulesToLoad.push_back(argv[++i]);
        else if ((!_stricmp(a, "/transcript") || !_stricmp(a, "-transcript")) && hasValue)
            setTranscript(argv[++i]);
        else if ((!_stricmp(a, "/timeout") || !_stricmp(a, "-timeout")) && hasValue)
            timeout = std::atoi(argv[++i]);
        else
            drawings.push_back(a);
    }
    transcript("host started");
    HWND main = createMainWindow(true);
    if (!main) {
        std::fprintf(stderr, "cadhost: cannot create the main window\n");
        return 1;
    }
    frameProc = (WNDPROC)SetWindowLongPtrA(main, GWLP_WNDPROC, (LONG_PTR)scriptedFrameProc);
    if (timeout > 0) SetTimer(main, kTimeoutTimer, (UINT)timeout * 1000, nullptr);
    for (const std::string& m : modulesToLoad)
        loadModule(m.c_str());
    for (const std::string& d : drawings)
        openDrawing(d.c_str());
    if (script) {
        if (readScript(script)) {
            scriptRunning = true;
            PostMessageA(main, kScriptStep, 0, 0);
        } else
            printLine(std::string("Cannot read script ") + script + ".");
    }
    while (AfxGetApp()->PumpMessage()) {
    }
    closeAllDrawings();
    unloadAllModules();
    if (faultCount > 0) {
        transcript("host ended after %ld faults", faultCount);
        return 3;
    }
    transcript("host ended");
    return 0;
}

} // namespace cadhost
