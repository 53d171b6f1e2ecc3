// The library entry of tarnel15.arx.
#include <windows.h>
#include "shell/extensionmodule.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    try {
        if (reason == DLL_PROCESS_ATTACH) return attachLibrary(instance);
        if (reason == DLL_PROCESS_DETACH) detachLibrary();
    } catch (...) {
        return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
    }
    return TRUE;
}
