#include "shell/resourcelibrary.h"
#include <windows.h>
#include <string>
#include "common/thismodule.h"
#include "shell/arxapplication.h"
#include "ui/uiapp.h"

bool openResourceLibrary() {
    ArxApplication* app = currentApp();
    if (!app) return false;
    app->setModuleInstance(thisModule()); // the core
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
