// The library's attach and detach work: the resource library and its place
// on the resource search chain.
#pragma once
#include <windows.h>
#include "afxshim.h"

struct ExtensionModuleRecord {
    bool attached;
    HINSTANCE resourceHandleAtAttach;
    HINSTANCE moduleResource;
    AFX_EXTENSION_MODULE module;
};

// The module-wide record (defined with the module's other static objects,
// in tarnel.cpp).
ExtensionModuleRecord* extensionRecord();
// Loads "TarnelRes.dll" beside the module; FALSE when it cannot.
BOOL attachLibrary(HINSTANCE instance);
void detachLibrary();
