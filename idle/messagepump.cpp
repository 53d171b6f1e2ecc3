#include "idle/messagepump.h"
#include "aced.h"
#include "afxshim.h"

bool pumpOneMessage(CWinApp* app) {
    if (!app || app->PumpMessage()) return true;
    const MSG* quit = AfxGetCurrentMessage();
    PostQuitMessage(quit && quit->message == WM_QUIT ? (int)quit->wParam : 0);
    return false;
}

bool pumpWaitingMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return true;
    return pumpOneMessage(acedGetAcadWinApp());
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        if (!pumpOneMessage(acedGetAcadWinApp())) return;
}
