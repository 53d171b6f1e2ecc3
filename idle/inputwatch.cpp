#include "idle/inputwatch.h"
#include <cstdlib>
#include "common/handles.h"

namespace {

struct Watch {
    bool running = false;
    InputLook previous = {};
    POINT lastCounted = {};
    SIZE slack = {};
    bool pressed = false; // set by the hooks, taken by the look
    HookHandle keyboard;
    HookHandle mouse;
};

Watch& watch() {
    static Watch w;
    return w;
}

DWORD lastInputTime() {
    LASTINPUTINFO info = {sizeof info, 0};
    return GetLastInputInfo(&info) ? info.dwTime : 0;
}

LRESULT CALLBACK keyboardHook(int code, WPARAM key, LPARAM flags) {
    if (code >= 0) watch().pressed = true;
    return CallNextHookEx(nullptr, code, key, flags);
}

bool isPress(WPARAM message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCXBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case 0x020E: // WM_MOUSEHWHEEL, the tilt wheel
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK mouseHook(int code, WPARAM message, LPARAM info) {
    if (code >= 0 && isPress(message)) watch().pressed = true;
    return CallNextHookEx(nullptr, code, message, info);
}

// The pointer and the window in front, with the time of the last input.
InputLook lookAt(DWORD inputTime) {
    InputLook look = {};
    look.lastInputTime = inputTime;
    look.pressed = watch().pressed;
    watch().pressed = false;
    if (!GetCursorPos(&look.cursor)) look.cursor = {};
    DWORD process = 0;
    if (HWND front = GetForegroundWindow()) GetWindowThreadProcessId(front, &process);
    look.hostInFront = process == GetCurrentProcessId();
    return look;
}

bool within(POINT a, POINT b, SIZE slack) {
    return std::abs(a.x - b.x) <= slack.cx && std::abs(a.y - b.y) <= slack.cy;
}

} // namespace

bool countsAsInput(const InputLook& previous, const InputLook& now, POINT& lastCounted,
                   SIZE slack) {
    if (now.lastInputTime == previous.lastInputTime || !now.hostInFront) return false;
    if (!within(now.cursor, lastCounted, slack)) {
        lastCounted = now.cursor;
        return true;
    }
    return now.pressed;
}

void startInputWatch() {
    Watch& w = watch();
    // The system's own drag distance: a smaller move is a hand resting on
    // the mouse. A window that appears under a still cursor moves nothing.
    w.slack = {GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)};
    if (w.slack.cx <= 0) w.slack.cx = 4;
    if (w.slack.cy <= 0) w.slack.cy = 4;
    // Thread hooks: only what the host's own windows take.
    const DWORD thread = GetCurrentThreadId();
    w.keyboard.reset(SetWindowsHookExA(WH_KEYBOARD, keyboardHook, nullptr, thread));
    w.mouse.reset(SetWindowsHookExA(WH_MOUSE, mouseHook, nullptr, thread));
    w.pressed = false;
    w.previous = lookAt(lastInputTime());
    w.lastCounted = w.previous.cursor;
    w.running = true;
}

void stopInputWatch() {
    Watch& w = watch();
    w.running = false;
    w.keyboard.reset();
    w.mouse.reset();
}

bool inputWatchRunning() {
    return watch().running;
}

bool inputSinceLastLook() {
    Watch& w = watch();
    if (!w.running) return false;
    // A seat nobody touches costs one question a second; the pointer and
    // the window in front are asked for only when input came.
    const DWORD inputTime = lastInputTime();
    if (inputTime == w.previous.lastInputTime) return false;
    const InputLook now = lookAt(inputTime);
    const bool counted = countsAsInput(w.previous, now, w.lastCounted, w.slack);
    w.previous = now;
    return counted;
}
