// Keyboard and mouse input in the host, counted as activity. Each tick asks
// the system whether input arrived since the last look while one of the
// host's windows was in front, and where the pointer is. Input to other
// programs is never counted. A key, a button or the wheel is known from the
// host's own thread: two thread hooks set a flag when such a message is
// taken, and do nothing else. The system's last-input time alone cannot
// tell them apart from the mouse event a window makes when it opens under
// a resting pointer.
#pragma once
#include <windows.h>

// Starts watching: input before this call is not counted.
void startInputWatch();
// Nothing is counted after it.
void stopInputWatch();
bool inputWatchRunning();
// Whether counted input arrived since the previous look (or the start);
// false when the watch is not running.
bool inputSinceLastLook();

// What one look at the system finds.
struct InputLook {
    DWORD lastInputTime; // of the last input the system took, any program's
    POINT cursor;        // the pointer, in screen coordinates
    bool hostInFront;    // the foreground window is one of the host's
    bool pressed;        // the host took a key, a button or the wheel
};

// Whether the input between two looks counts: input arrived while the host
// was in front, and the pointer moved more than slack from lastCounted
// (updated when a move counts), or the host took a key, a button or the
// wheel. A pointer that moved within the slack is a hand resting on the
// mouse, and one that did not move at all with nothing pressed is a window
// that opened or closed under it.
bool countsAsInput(const InputLook& previous, const InputLook& now, POINT& lastCounted, SIZE slack);
