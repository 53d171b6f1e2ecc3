// The library entry's work: the resource library beside the module,
// without which the module does not load, put on the host's resource
// search chain as an extension library's resources are.
#include <windows.h>
#include "afxshim.h"
#include "adapter/adapter.h"

namespace {

AFX_EXTENSION_MODULE extensionModule;
bool onChain = false;
HINSTANCE resources = 0;
HINSTANCE adapter = 0;

// name in the adapter's folder, into path (MAX_PATH bytes).
bool besideAdapter(const char* name, char* path) {
    char own[MAX_PATH];
    const DWORD n = GetModuleFileNameA(adapter, own, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    char* slash = own + n;
    while (slash > own && *slash != '\\') --slash;
    if (*slash != '\\') return false;
    slash[1] = '\0';
    if (lstrlenA(own) + lstrlenA(name) >= MAX_PATH) return false;
    lstrcpyA(path, own);
    lstrcatA(path, name);
    return true;
}

} // namespace

bool corePath(char* path) {
    return besideAdapter("TarnelCore.dll", path);
}

BOOL attachAdapterLibrary(HINSTANCE instance) {
    adapter = instance;
    char path[MAX_PATH];
    if (!besideAdapter("TarnelRes.dll", path)) return FALSE;
    if (!resources) resources = LoadLibraryA(path);
    if (!resources) return FALSE;
    if (!onChain) {
        onChain = AfxInitExtensionModule(extensionModule, resources) != FALSE;
        if (onChain) new CDynLinkLibrary(extensionModule, FALSE); // owned by the chain
    }
    return TRUE;
}

void detachAdapterLibrary() {
    if (onChain) AfxTermExtensionModule(extensionModule, FALSE);
    onChain = false;
    if (resources) FreeLibrary(resources);
    resources = 0;
}
