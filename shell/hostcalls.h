// The host as the core meets it: the adapter's table of host operations,
// given when the core is opened, wrapped for the core's own types. With no
// table (before the open, or after the adapter closed the core) every call
// answers as a host with no drawings and no main window would.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "port/hostport.h"

namespace host {

// The table the adapter filled; null for none.
void use(const TarnelHostOps* ops);

// The open drawings in the host's order (a null entry where the host gave
// none); false when the host cannot list them.
bool drawings(std::vector<TarnelDrawing>& out);
int drawingCount();
// Whether the drawing is still among the open ones.
bool stillOpen(TarnelDrawing drawing);
TarnelDrawing currentDrawing();
// The drawing's file name; false when the host gives it none.
bool fileName(TarnelDrawing drawing, std::string& name);
bool hasDatabase(TarnelDrawing drawing);
bool quiescent(TarnelDrawing drawing);
bool saveAs(TarnelDrawing drawing, const std::string& path);
bool closeDrawing(TarnelDrawing drawing);
// Current and locked for writing until unlock.
void makeCurrentForWrite(TarnelDrawing drawing);
void unlock(TarnelDrawing drawing);
void pushDbmod(TarnelDrawing drawing);
void popDbmod(TarnelDrawing drawing);

// A system variable of the current drawing: a whole number (false when
// there is none), or text (empty when there is none).
bool shortVar(const char* name, int& value);
std::string stringVar(const char* name);
// Text the current drawing takes as typed.
void sendString(TarnelDrawing drawing, const char* text);
// fn(data) in the application's context, before the call returns.
void inApplicationContext(void (*fn)(void* data), void* data);

// The application: its registry key below HKEY_CURRENT_USER (empty when
// the host gives none), its main window, one message pumped (false once it
// was the host's WM_QUIT, which stays queued), the resource handle the
// host's own loads use, and the lock that keeps the module loaded.
std::string productKey();
HWND mainWindow();
bool pumpMessage();
void pushResources(HINSTANCE module);
void popResources();
void lockApplication();
void unlockApplication();

} // namespace host
