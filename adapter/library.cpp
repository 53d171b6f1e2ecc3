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

} // namespace

BOOL attachAdapterLibrary(HINSTANCE instance) {
    char path[MAX_PATH + 16];
    const DWORD n = GetModuleFileNameA(instance, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return FALSE;
    char* slash = path + n;
    while (slash > path && *slash != '\\') --slash;
    if (*slash != '\\') return FALSE;
    lstrcpyA(slash + 1, "TarnelRes.dll");
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
