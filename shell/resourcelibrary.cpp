#include "shell/resourcelibrary.h"
#include <windows.h>
#include <string>
#include "shell/arxapplication.h"
#include "ui/uiapp.h"

namespace {

// The module this code is linked into: the core.
HINSTANCE coreModule() {
    MEMORY_BASIC_INFORMATION info = {};
    if (!VirtualQuery(reinterpret_cast<const void*>(&coreModule), &info, sizeof info))
        return nullptr;
    return static_cast<HINSTANCE>(info.AllocationBase);
}

} // namespace

bool openResourceLibrary() {
    ArxApplication* app = currentApp();
    if (!app) return false;
    app->setModuleInstance(coreModule());
    if (app->rawResourceInstance()) return true;
    const char* dir = app->moduleDirectory();
    if (!dir) return false;
    HINSTANCE resources = LoadLibraryA((std::string(dir) + "\\TarnelRes.dll").c_str());
    if (!resources) return false;
    app->setResourceInstance(resources);
    ui::setResourceLibrary(resources);
    return true;
}

void closeResourceLibrary() {
    ArxApplication* app = currentApp();
    if (!app || !app->rawResourceInstance()) return;
    ui::setResourceLibrary(nullptr);
    FreeLibrary(app->rawResourceInstance());
    app->setResourceInstance(nullptr);
}
