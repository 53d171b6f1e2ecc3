// What the UI library knows of the application its windows belong to, as
// the module sets it: the window that owns a dialog given no parent, the
// caption of a message box given none, the application's registry key, and
// where templates and strings are found. Nothing of it comes from the host:
// the module asks the host and passes the answers in.
#pragma once
#include <windows.h>

namespace ui {

struct Application {
    const char* name = "";              // a message box's caption when it has none
    HWND (*mainWindow)() = nullptr;     // the owner of dialogs without a parent
    const char* (*rootKey)() = nullptr; // below HKEY_CURRENT_USER
};
void setApplication(const Application& application);
const char* applicationName();
HWND applicationWindow();
const char* applicationRootKey();

// The resource library searched for templates and strings, after the
// current resources; null: the module that holds the UI library.
void setResourceLibrary(HINSTANCE library);
HINSTANCE resourceLibrary();
// The handle looked at first while a ResourceScope lives (MFC's current
// resource handle); the resource library when none is set.
HINSTANCE currentResources();
// The current resources if they hold the resource, else the resource
// library if it does, else the current resources.
HINSTANCE findResource(LPCSTR name, LPCSTR type);

// The current resources are handle until the scope ends.
class ResourceScope {
  public:
    explicit ResourceScope(HINSTANCE handle);
    ~ResourceScope();
    ResourceScope(const ResourceScope&) = delete;
    ResourceScope& operator=(const ResourceScope&) = delete;

  private:
    HINSTANCE saved_;
};

} // namespace ui
