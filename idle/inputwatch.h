// Keyboard and mouse input to the host's own windows, counted as activity.
// The hook is local to the thread that starts the watch, the host's user
// interface thread, so input to other programs is never seen.
#pragma once
#include <windows.h>

// Starts watching the calling thread's input; every counted message calls
// onInput. A watch already running is replaced.
void startInputWatch(void (*onInput)());
// Removes the hook; nothing is counted after it.
void stopInputWatch();
bool inputWatchRunning();

// Whether a message taken from the queue is input that counts: a key or
// button pressed, the wheel turned, or the mouse moved to a point more than
// slack away from lastCounted (in screen coordinates, updated when a move
// counts). A jittering mouse on a desk does not keep a seat alive.
bool countsAsInput(const MSG& msg, POINT& lastCounted, SIZE slack);
