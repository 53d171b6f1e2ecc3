#include "modulefixture.h"
#include "cmdlog/logwriter.h"
#include <cctype>
#include <commctrl.h>
#include "aced.h"
#include "adapter/adapter.h"
#include "cmdlog/logspool.h"
#include "idle/countdowndialog.h"
#include "idle/idletimer.h"
#include "shell/arxapplication.h"
#include "ui/uiapp.h"
#include "shell/guardapp.h"
#include "settings/settingsformat.h"

namespace modtest {

std::string reportLog(const std::string& dir) {
    waitLogWritten(5000);
    return testkit::readFile(dir + "\\tarnel.log");
}

bool reportLogExists(const std::string& dir) {
    waitLogWritten(5000);
    return testkit::fileExists(dir + "\\tarnel.log");
}

void writeSettings(const std::map<std::string, std::string>& values) {
    std::string bytes;
    for (const auto& kv : values) {
        std::string line = kv.first + ":" + kv.second;
        settingsformat::scramble(line);
        bytes += line + "\r\n";
    }
    testkit::writeFile(testkit::binDir() + "\\tarnel.cfg", bytes);
}

void deleteRegistryMessage() {
    testkit::deleteRegistryValue(tarnelRegistryKey(), "Message");
    // Log faults an earlier test left are shown in the same box.
    testkit::deleteRegistryValue(tarnelRegistryKey(), "LogFault");
}

std::string registryMessage() {
    return testkit::registryString(tarnelRegistryKey(), "Message");
}

void setRegistryMessage(const std::string& text) {
    testkit::setRegistryString(tarnelRegistryKey(), "Message", text);
}

ResourcesOutOfReach::ResourcesOutOfReach(bool dialogsToo)
    : strings_(ui::resourceLibrary()), dialogs_(currentApp()->rawResourceInstance()),
      dialogsToo_(dialogsToo) {
    ui::setResourceLibrary(GetModuleHandleA(nullptr));
    if (dialogsToo_) currentApp()->setResourceInstance(nullptr);
}

ResourcesOutOfReach::~ResourcesOutOfReach() {
    if (dialogsToo_) currentApp()->setResourceInstance(dialogs_);
    ui::setResourceLibrary(strings_);
}

Workspace::Workspace(const std::string& name)
    : dir(testkit::freshDir(name)), temp(dir + "\\temp"), tmp_("TMP", temp), temp_("TEMP", temp) {
    CreateDirectoryA(temp.c_str(), nullptr);
    GetCurrentDirectoryA(MAX_PATH, saved);
    SetCurrentDirectoryA(dir.c_str());
    cadhost::setTranscript((dir + "\\transcript.txt").c_str());
}

Workspace::~Workspace() {
    cadhost::setTranscript(nullptr);
    SetCurrentDirectoryA(saved);
    dropQuit();
}

std::string Workspace::transcript() const {
    return testkit::readFile(dir + "\\transcript.txt");
}

AcApDocument* Workspace::open(const std::string& name, const std::string& entities) {
    testkit::writeFile(dir + "\\" + name, drawingBytes(entities));
    return cadhost::openDrawing((dir + "\\" + name).c_str());
}

std::string drawingBytes(const std::string& entities) {
    return "CADHOST DRAWING 1\r\n" + entities;
}

void ticks(int n) {
    for (int i = 0; i < n; ++i)
        idleTick(nullptr, WM_TIMER, 0, 0);
}

namespace {
std::function<void()> bodyInsideWait;
UINT_PTR waitTimer = 0;
int ticksForTheScreen = 0;

BOOL CALLBACK findHiddenDialog(HWND w, LPARAM found) {
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && !IsWindowVisible(w) &&
        GetWindow(w, GW_OWNER) == adsw_acadMainWnd()) {
        *reinterpret_cast<HWND*>(found) = w;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK runBodyInsideWait(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    // A modal dialog's loop shows the dialog only once its queue is empty, so
    // a timer already due runs first. The user waits in what is on screen:
    // the body waits for the dialog to be shown (a second at most).
    HWND hidden = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findHiddenDialog, reinterpret_cast<LPARAM>(&hidden));
    if (hidden && ++ticksForTheScreen < 100) {
        waitTimer = SetTimer(nullptr, 0, 10, runBodyInsideWait);
        return;
    }
    ticksForTheScreen = 0;
    std::function<void()> body = std::move(bodyInsideWait);
    bodyInsideWait = nullptr;
    if (body) body();
}
} // namespace

void typeAndWait(std::vector<std::string> lines, std::function<void()> body) {
    const std::string first = lines.front();
    lines.erase(lines.begin());
    if (lines.empty())
        bodyInsideWait = std::move(body);
    else
        bodyInsideWait = [lines, body] { typeAndWait(lines, body); };
    ticksForTheScreen = 0;
    waitTimer = SetTimer(nullptr, 0, 10, runBodyInsideWait);
    cadhost::executeLine(first.c_str());
    KillTimer(nullptr, waitTimer);
    bodyInsideWait = nullptr;
}

void takeMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, WM_TIMER - 1, PM_REMOVE) ||
           PeekMessageA(&msg, nullptr, WM_TIMER + 1, 0xFFFFFFFF, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

namespace {
void send(INPUT* inputs, UINT n) {
    Sleep(20);
    SendInput(n, inputs, sizeof(INPUT));
    takeMessages();
}
} // namespace

void giveKey(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    send(in, 2);
}

void giveMouse(DWORD down, DWORD up, DWORD data) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = down;
    in[0].mi.mouseData = data;
    in[1].mi.dwFlags = up;
    send(in, up ? 2 : 1);
}

void movePointer(POINT at) {
    Sleep(20);
    SetCursorPos(at.x, at.y);
    takeMessages();
}

bool hostInFront() {
    DWORD process = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &process);
    return process == GetCurrentProcessId();
}

void bringHostToFront() {
    for (int i = 0; i < 100 && !hostInFront(); ++i) {
        SetForegroundWindow(adsw_acadMainWnd());
        takeMessages();
        if (!hostInFront()) Sleep(20);
    }
}

HWND countdownHwnd() {
    CountdownDialog* w = idleTimerState().countdownWindow;
    return w ? w->GetSafeHwnd() : nullptr;
}

void dropQuit() {
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1))
        ++n;
    return n;
}

bool isTimeLine(const std::string& l) {
    const std::string shape = "99.99.9999 at 99:99:99";
    if (l.size() != shape.size()) return false;
    for (size_t i = 0; i < l.size(); ++i)
        if (shape[i] == '9' ? !std::isdigit((unsigned char)l[i]) : shape[i] != l[i]) return false;
    return true;
}

namespace {
struct PageSearch {
    int id;
    HWND found;
};
BOOL CALLBACK findPageProc(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<PageSearch*>(lp);
    char cls[16] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && GetDlgItem(h, s->id)) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND findPage(HWND dialog, int controlId) {
    PageSearch s{controlId, nullptr};
    EnumChildWindows(dialog, findPageProc, (LPARAM)&s);
    return s.found;
}

std::vector<std::string> tabTitles(HWND tab) {
    std::vector<std::string> titles;
    int n = (int)SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
        char text[64] = {};
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tab, TCM_GETITEMA, (WPARAM)i, (LPARAM)&item);
        titles.push_back(text);
    }
    return titles;
}

void clickButton(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string settingsPath() {
    return testkit::binDir() + "\\tarnel.cfg";
}

// Spool files an earlier test's unload left would be written by this
// test's start: each module starts without any.
void emptySpool() {
    const std::string folder = logSpoolFolder();
    for (const std::string& name : testkit::filesIn(folder))
        DeleteFileA((folder + "\\" + name).c_str());
}

const TarnelCoreEvents& openCore() {
    static TarnelHostOps ops;
    static TarnelCoreEvents events;
    fillHostOps(&ops);
    events = TarnelCoreEvents();
    events.size = sizeof events;
    events.version = TARNEL_PORT_VERSION;
    TarnelCoreOpen(&ops, &events);
    return events;
}

void commandThroughPort(const char* name) {
    static const TarnelCoreEvents& events = openCore();
    const TarnelDrawing current =
        reinterpret_cast<TarnelDrawing>(acDocManagerPtr()->curDocument());
    events.commandWillStart(events.core, current, name);
    events.commandEnded(events.core, current, name);
}

Module::Module() {
    static bool attached = attachAdapterLibrary(GetModuleHandleA(nullptr)) != FALSE;
    (void)attached;
    openCore();
    emptySpool();
    cadhost::createMainWindow(true);
    dir = testkit::binDir();
    // A message an earlier test left would block start-up in its box.
    deleteRegistryMessage();
}

Module::~Module() {
    stop();
    cadhost::closeAllDrawings();
}

void Module::start(const std::map<std::string, std::string>& settings) {
    writeSettings(settings);
    acrxEntryPoint(AcRx::kInitAppMsg, nullptr);
    started = true;
}

void Module::stop() {
    if (!started) return;
    acrxEntryPoint(AcRx::kUnloadAppMsg, nullptr);
    started = false;
    openCore(); // closed with the unload; the test may still look at it
}

} // namespace modtest
