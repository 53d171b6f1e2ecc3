// The library entry of tarnel15.arx.
#include <windows.h>
#include "adapter/adapter.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) return attachAdapterLibrary(instance);
    if (reason == DLL_PROCESS_DETACH) detachAdapterLibrary();
    return TRUE;
}
