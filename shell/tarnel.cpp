// The module's static objects. The host's entry point is the adapter's
// (adapter/entry.cpp), which reaches the application through the port.
#include "shell/extensionmodule.h"
#include "shell/guardapp.h"

// Built in this order before the library entry runs: the extension-module
// record (zeroed), its pointer, then the application object.
static ExtensionModuleRecord extensionModuleRecord = {};
static ExtensionModuleRecord* extensionModulePointer = &extensionModuleRecord;
static GuardApp guardApplication;

ExtensionModuleRecord* extensionRecord() {
    return extensionModulePointer;
}
