// The resource library beside the core (TarnelRes.dll): loaded when the
// adapter opens the core, never inside a library entry, and freed when it
// closes it; the UI library finds templates and strings in it.
#pragma once

// The application's module is the core's own; loads the library beside it.
// False when it cannot be loaded: strings then take their built-in texts.
bool openResourceLibrary();
void closeResourceLibrary();
