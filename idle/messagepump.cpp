#include "idle/messagepump.h"
#include <windows.h>
#include "shell/hostcalls.h"

bool pumpWaitingMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return true;
    return host::pumpMessage();
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        if (!host::pumpMessage()) return;
}
