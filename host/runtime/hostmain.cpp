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
bool stepPosted = false; // a kScriptStep is on its way
bool idling = false;     // in "@idle": the idle timer brings the next step

// The script has run out of lines: it ends there, even when its last line
// left a command or a dialog waiting for the user, as in the host.
void endScript() {
    scriptRunning = false;
    if (!scriptLines.empty()) {
        transcript("script ended");
        scriptLines.clear();
        scriptNext = 0;
    }
}

void postStep() {
    if (stepPosted) return;
    if (HWND w = adsw_acadMainWnd()) stepPosted = PostMessageA(w, kScriptStep, 0, 0) != 0;
}

bool readScript(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    // Lines of any length: a long one comes in several pieces.
    char piece[4096];
    std::string s;
    auto endLine = [&] {
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        scriptLines.push_back(s);
        s.clear();
    };
    while (std::fgets(piece, sizeof piece, f)) {
        s += piece;
        if (!s.empty() && s.back() == '\n') endLine();
    }
    if (!s.empty()) endLine(); // the last line without a line end
    std::fclose(f);
    return true;
}

// Runs script lines one per turn of the message loop; "@idle N" leaves the
// host as it is (at a prompt or in a dialog too) with no script running for
// N seconds before the next line. A prompt that waits takes the next line
// as its input, a blank line as Enter; a modal dialog of the host takes an
// "@idle" and holds every other line until it closes.
void scriptStep() {
    while (scriptNext < scriptLines.size()) {
        std::string line = scriptLines[scriptNext++];
        size_t a = line.find_first_not_of(" \t");
        if (a == std::string::npos && promptWaiting())
            line.clear();
        else if (a == std::string::npos || line[a] == ';')
            continue;
        else
            line = line.substr(a);
        const bool idle = _strnicmp(line.c_str(), "@idle", 5) == 0;
        if (hostDialogsOpen > 0 && !idle) {
            --scriptNext; // typed when the dialog has closed: its end asks again
            return;
        }
        if (idle) {
            int seconds = std::atoi(line.c_str() + 5);
            transcript("idle %d s", seconds);
            scriptRunning = false;
            idling = true;
            SetTimer(adsw_acadMainWnd(), kIdleTimer, (UINT)(seconds > 0 ? seconds : 0) * 1000,
                     nullptr);
            return;
        }
        scriptRunning = true;
        executeLine(line.c_str());
        // A line that waited may have seen the script reach "@idle": its
        // timer brings the next line.
        if (!idling) postStep();
        return;
    }
    endScript();
}

WNDPROC frameProc = nullptr;

LRESULT CALLBACK scriptedFrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kScriptStep) {
        stepPosted = false;
        scriptStep();
        return 0;
    }
    if (msg == WM_TIMER && wp == kIdleTimer) {
        KillTimer(hwnd, kIdleTimer);
        idling = false;
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

void scriptWantsStep() {
    if (!scriptRunning || idling) return;
    if (scriptNext < scriptLines.size())
        postStep();
    else
        endScript();
}

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

// The installation's product key, as the host's own set-up leaves it.
void registerProduct() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        const char name[] = "AutoCAD 2002 (stand-in)";
        RegSetValueExA(key, "ProductName", 0, REG_SZ, (const BYTE*)name, sizeof name);
        RegCloseKey(key);
    }
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Autodesk\\AutoCAD\\R15.0", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        const char current[] = "ACAD-1:409";
        RegSetValueExA(key, "CurVer", 0, REG_SZ, (const BYTE*)current, sizeof current);
        RegCloseKey(key);
    }
}

std::string registryString(HKEY key, const char* name) {
    char value[1024] = {};
    DWORD size = sizeof value - 1, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, (LPBYTE)value, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    return value;
}

// Demand loading at start-up: every application under the product key's
// "Applications" whose load controls ask for it, from the path its own key
// names ("Loader", value "MODULE").
void loadStartupModules() {
    HKEY apps;
    std::string appsKey = std::string(kProductKey) + "\\Applications";
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, appsKey.c_str(), 0, KEY_READ, &apps) != ERROR_SUCCESS)
        return;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(apps, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY app;
        if (RegOpenKeyExA(apps, name, 0, KEY_READ, &app) != ERROR_SUCCESS) continue;
        DWORD controls = 0, size = sizeof controls;
        RegQueryValueExA(app, "LOADCTRLS", nullptr, nullptr, (LPBYTE)&controls, &size);
        std::string regPath = registryString(app, "REGPATH");
        RegCloseKey(app);
        if (!(controls & 0x02)) continue;
        const std::string hive = "\\\\HKEY_LOCAL_MACHINE\\";
        std::string own = regPath.compare(0, hive.size(), hive) == 0 ? regPath.substr(hive.size())
                                                                     : std::string();
        std::string module;
        HKEY loader;
        if (!own.empty() && RegOpenKeyExA(HKEY_LOCAL_MACHINE, (own + "\\Loader").c_str(), 0,
                                          KEY_READ, &loader) == ERROR_SUCCESS) {
            module = registryString(loader, "MODULE");
            RegCloseKey(loader);
        }
        transcript("demand load %s at start-up: %s", name, module.c_str());
        if (module.empty()) {
            printLine(std::string("Unable to load ") + name +
                      ": its registry entry names no module.");
            continue;
        }
        loadModule(module.c_str()); // says on the command line why when it cannot
    }
    RegCloseKey(apps);
}

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
    registerProduct();
    loadStartupModules();
    for (const std::string& m : modulesToLoad)
        loadModule(m.c_str());
    for (const std::string& d : drawings)
        openDrawing(d.c_str());
    if (script) {
        if (readScript(script)) {
            scriptRunning = true;
            postStep();
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
