#include "idle/messagepump.h"
#include "afxshim.h"

bool pumpOneMessage(CWinApp* app) {
    if (!app || app->PumpMessage()) return true;
    const MSG* quit = AfxGetCurrentMessage();
    PostQuitMessage(quit && quit->message == WM_QUIT ? (int)quit->wParam : 0);
    return false;
}
