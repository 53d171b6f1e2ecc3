// The idle watch: a one-second thread timer that counts quiet seconds, shows
// the countdown window and starts the close action when the time is up.
// Its state lives in idletimer.cpp and changes only through these functions.
#pragma once
#include <windows.h>

class CountdownDialog;
class GuardSettings;

struct IdleTimer {
    UINT_PTR timerId;
    int idleSeconds;
    CountdownDialog* countdownWindow;
    // Bumped by every reset and stop, so a tick can tell that one happened
    // while it was pumping messages.
    unsigned generation;
    // At the end of the idle time what waited in the host was cancelled;
    // the close action waits for every drawing to be quiet.
    bool cancelling;
    int cancelTicks; // ticks since the cancel
    // The stretch being counted showed the countdown, or already has its
    // journal line (the end of the idle time); each stretch gets one.
    bool countdownShown;
    bool stretchJournaled;
    // The idle second the close comes at, when it is not the idle time's
    // end: a full countdown after the licence server's answer said to
    // close, or after the stretch was found past its end (0 until then).
    int closeAt;
};

// Ticks to wait for cancelled commands to end before giving up.
constexpr int kCancelWaitTicks = 5;
// True while the end of a command or evaluation is the module's own cancel,
// not the user's activity.
bool cancellingWaits();

// The state, to read.
const IdleTimer& idleTimerState();

// Starts the one-second timer (a timer still running is killed first) and
// zeroes the count, reading settings (which must live until endIdleWatch). With LicenseServer
// set, the end of the idle time asks the licence server first (idle/licensegate.h): while
// licences are free the seat stays open, else the countdown starts then. With CountInput set,
// keyboard and mouse input in the host restarts the count as well, at the tick after it, until the
// timer stops. With CancelWaiting set, a drawing busy with a command, dialog or evaluation that
// only waits for its user (no processor time spent, no script or module command) does not stop the
// count, and at the end what waits is cancelled before the close action.
void startIdleTimer(const GuardSettings& settings);
// Called at every 60th tick of the timer while it runs (null: nothing).
void onEveryMinute(void (*hook)());
// Starts the timer again with the settings of the last start; nothing after
// endIdleWatch or before any start.
void restartIdleTimer();
// Starts or stops the input watch as CountInput now says, while the count
// runs (a policy refresh changed it).
void followCountInput();
// Closes the countdown window, kills the timer and stops counting input;
// the count stays.
void stopIdleTimer();
// Stops the timer and forgets the settings: the module is unloading.
void endIdleWatch();
// The settings the watch runs with, or null when it has ended.
const GuardSettings* idleSettings();
// Closes the countdown window and zeroes the count; the timer stays as it is.
void resetIdle();
// Destroys the countdown window, if one is open, and forgets it.
void closeCountdown();
// Takes note of the countdown window just made.
void adoptCountdown(CountdownDialog* window);
// Drops every reference to a countdown window that is being deleted,
// whoever destroyed it (its owner window takes it along).
void forgetCountdown(const CountdownDialog* window);
// The timer procedure.
void CALLBACK idleTick(HWND, UINT, UINT_PTR, DWORD);

// Text of the countdown message with the seconds left.
const char kCountdownFallback[] = "Tarnel application will close AutoCAD.\nSeconds: %d";
