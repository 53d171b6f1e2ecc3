#include "ui/uiapp.h"
#include "common/thismodule.h"

namespace {

ui::Application theApplication;
HINSTANCE library = nullptr;
HINSTANCE current = nullptr;

bool holds(HINSTANCE module, LPCSTR name, LPCSTR type) {
    return module && FindResourceA(module, name, type) != nullptr;
}

} // namespace

namespace ui {

void setApplication(const Application& application) {
    theApplication = application;
}

const char* applicationName() {
    return theApplication.name ? theApplication.name : "";
}

HWND applicationWindow() {
    return theApplication.mainWindow ? theApplication.mainWindow() : nullptr;
}

const char* applicationRootKey() {
    const char* key = theApplication.rootKey ? theApplication.rootKey() : nullptr;
    return key ? key : "";
}

void setResourceLibrary(HINSTANCE handle) {
    library = handle;
}

HINSTANCE resourceLibrary() {
    return library ? library : thisModule(); // the core, or a test program
}

HINSTANCE currentResources() {
    return current ? current : resourceLibrary();
}

HINSTANCE findResource(LPCSTR name, LPCSTR type) {
    if (holds(currentResources(), name, type)) return currentResources();
    if (holds(resourceLibrary(), name, type)) return resourceLibrary();
    return currentResources();
}

ResourceScope::ResourceScope(HINSTANCE handle) : saved_(current) {
    current = handle;
}

ResourceScope::~ResourceScope() {
    current = saved_;
}

} // namespace ui
