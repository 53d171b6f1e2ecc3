// Keyboard and mouse input in the host, counted as activity. Nothing runs
// per message: each tick asks the system whether input arrived since the
// last look while one of the host's windows was in front, and where the
// pointer is. Input to other programs is never counted.
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
};

// Whether the input between two looks counts: input arrived while the host
// was in front, and the pointer moved more than slack from lastCounted
// (updated when a move counts), or did not move at all since the previous
// look (a key, a button or the wheel). A pointer that moved within the
// slack is a hand resting on the mouse, whatever else happened.
bool countsAsInput(const InputLook& previous, const InputLook& now, POINT& lastCounted, SIZE slack);
