// The idle watch: a one-second thread timer that counts quiet seconds, shows
// the countdown window and starts the close action when the time is up.
#pragma once
#include <windows.h>

class CountdownDialog;

struct IdleTimer {
    UINT_PTR timerId;
    int idleSeconds;
    CountdownDialog* countdownWindow;
    // Bumped by every reset and stop, so a tick can tell that one happened
    // while it was pumping messages.
    unsigned generation;
};

IdleTimer& idleTimer();

void startIdleTimer();
void stopIdleTimer();
void resetIdle();
void closeCountdown();
void showCountdown();
void pumpMessages();
void CALLBACK idleTick(HWND, UINT, UINT_PTR, DWORD);

// Text of the countdown message with the seconds left.
const char kCountdownFallback[] = "Tarnel application will close AutoCAD.\nSeconds: %d";
