#include "idle/inputwatch.h"
#include <cstdlib>
#include "common/handles.h"
#include "common/shield.h"

namespace {

struct Watch {
    HookHandle hook;
    void (*onInput)() = nullptr;
    POINT lastCounted = {};
    SIZE slack = {};
};

// A module unloaded with the hook still set takes it down with it.
Watch& watch() {
    static Watch w;
    return w;
}

bool isPress(UINT message) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCXBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case 0x020E: // WM_MOUSEHWHEEL
        return true;
    default:
        return false;
    }
}

// The point of a mouse move in screen coordinates; false when it has none.
bool movePoint(const MSG& msg, POINT& at) {
    at.x = (short)LOWORD(msg.lParam);
    at.y = (short)HIWORD(msg.lParam);
    if (msg.message == WM_NCMOUSEMOVE) return true;
    return ClientToScreen(msg.hwnd, &at) != FALSE;
}

LRESULT CALLBACK getMessageHook(int code, WPARAM removal, LPARAM lParam) {
    // Only a message taken off the queue counts, once; a look at the queue
    // that leaves it there does not.
    if (code == HC_ACTION && removal == PM_REMOVE) {
        shielded([lParam] {
            Watch& w = watch();
            const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
            if (w.onInput && countsAsInput(msg, w.lastCounted, w.slack)) w.onInput();
        });
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

} // namespace

bool countsAsInput(const MSG& msg, POINT& lastCounted, SIZE slack) {
    if (!msg.hwnd) return false; // a thread message is no input to a window
    if (isPress(msg.message)) return true;
    if (msg.message != WM_MOUSEMOVE && msg.message != WM_NCMOUSEMOVE) return false;
    POINT at;
    if (!movePoint(msg, at)) return false;
    if (std::abs(at.x - lastCounted.x) <= slack.cx && std::abs(at.y - lastCounted.y) <= slack.cy)
        return false;
    lastCounted = at;
    return true;
}

void startInputWatch(void (*onInput)()) {
    Watch& w = watch();
    w.hook.reset();
    w.onInput = onInput;
    // The system's own drag distance: a smaller move is a hand resting on
    // the mouse. A window that appears under a still cursor sends a move to
    // the point the cursor already had, which does not count either.
    w.slack = {GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)};
    if (w.slack.cx <= 0) w.slack.cx = 4;
    if (w.slack.cy <= 0) w.slack.cy = 4;
    if (!GetCursorPos(&w.lastCounted)) w.lastCounted = {};
    w.hook.reset(SetWindowsHookExA(WH_GETMESSAGE, getMessageHook, nullptr, GetCurrentThreadId()));
}

void stopInputWatch() {
    Watch& w = watch();
    w.hook.reset();
    w.onInput = nullptr;
}

bool inputWatchRunning() {
    return watch().hook.valid();
}
