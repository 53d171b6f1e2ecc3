// The adapter's parts as its entry joins them: the host's operations for
// the core, and the reactors and command that pass the host's events on.
#ifndef TARNEL_ADAPTER_H
#define TARNEL_ADAPTER_H
#include <windows.h>
#include "port/hostport.h"

class AcRxObject;

// The library entry's work: loads "TarnelRes.dll" beside the module and
// puts it on the host's resource search chain; FALSE when it cannot, and
// the module does not load.
BOOL attachAdapterLibrary(HINSTANCE instance);
void detachAdapterLibrary();
// The adapter's own folder and name of TarnelCore.dll in it, into path
// (MAX_PATH bytes); false when it does not fit.
bool corePath(char* path);

// The core's entry from the core at path (loaded once); null with the
// sentence that says why in why (size bytes, a 512 is enough).
TarnelCoreOpenFn loadCore(const char* path, char* why, unsigned long size);

// The host's operations, every entry filled.
void fillHostOps(TarnelHostOps* ops);
// The host's token of this module, as its start message gave it; the
// application lock and unlock name it.
void setAppId(void* appId);

// The core's notifications reach it from the editor's and the document
// manager's reactors and from the module's command while attached; each
// attach is undone by a detach, and a host service that is missing or of
// another class is left out.
void attachHostEvents(const TarnelCoreEvents* events);
void detachHostEvents();

// The host's registered service of that name when it is of that class
// (its descriptor's name), else null.
AcRxObject* hostService(const char* entry, const char* className);

#endif
