#include "shell/extensionmodule.h"
#include <cstdio>
#include "shell/arxapplication.h"

BOOL attachLibrary(HINSTANCE instance) {
    ArxApplication* app = currentApp();
    if (!app) return FALSE;
    app->setModuleInstance(instance);
    const char* dir = app->moduleDirectory();
    if (!dir) return FALSE;
    char path[MAX_PATH + 32];
    std::snprintf(path, sizeof path, "%s\\TarnelRes.dll", dir);
    HINSTANCE resources = LoadLibraryA(path);
    if (!resources) return FALSE;
    app->setResourceInstance(resources);
    ExtensionModuleRecord* rec = extensionRecord();
    if (!rec->attached) {
        rec->attached = AfxInitExtensionModule(rec->module, resources) != FALSE;
        if (rec->attached) {
            rec->resourceHandleAtAttach = AfxGetModuleState()->m_hCurrentResourceHandle;
            rec->moduleResource = resources;
            new CDynLinkLibrary(rec->module, FALSE); // owned by the resource chain
        }
    }
    return TRUE;
}

void detachLibrary() {
    ExtensionModuleRecord* rec = extensionRecord();
    if (rec->attached) {
        AfxTermExtensionModule(rec->module, FALSE);
        rec->attached = false;
    }
    ArxApplication* app = currentApp();
    if (app && app->rawResourceInstance()) {
        FreeLibrary(app->rawResourceInstance());
        app->setResourceInstance(nullptr);
    }
}
