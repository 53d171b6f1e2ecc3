// Control of the stand-in host: the program's own entry, and what tests use
// to drive it in-process exactly as a user or a script would.
#pragma once
#include <windows.h>
#include "acdocman.h"

namespace cadhost {

// The product key a real AutoCAD 2002 reports, below HKEY_LOCAL_MACHINE for
// the installation and below HKEY_CURRENT_USER for the user's settings.
constexpr const char* kProductKey = "Software\\Autodesk\\AutoCAD\\R15.0\\ACAD-1:409";

// cadhost.exe [/b script.scr] [/ld module.arx] [/transcript file] [/timeout s] [drawing ...]
HOST_API int runHost(int argc, char** argv);

// Creates the main window (hidden unless visible) if there is none.
HOST_API HWND createMainWindow(bool visible);
// Writes what the host does to path (appended); null stops the transcript.
HOST_API void setTranscript(const char* path);
HOST_API void transcript(const char* format, ...);

// Runs one line as typed on the command line (command with arguments, or a
// LISP expression); false when it did not end normally.
HOST_API bool executeLine(const char* line);
HOST_API AcApDocument* openDrawing(const char* path);
HOST_API AcApDocument* newDrawing();
HOST_API bool closeAllDrawings();

// A command started and ended by hand, for tests: the document stays busy
// between the two calls.
enum class Outcome { Ended, Cancelled, Failed };
HOST_API void beginCommand(const char* name);
HOST_API void endCommand(Outcome outcome);
HOST_API void beginLisp(const char* firstLine);
HOST_API void endLisp(bool cancelled);

// True when a command of that name (any case) is registered.
HOST_API bool commandRegistered(const char* name);

// Loads a module by path; its application id, or null when refused.
HOST_API void* loadModule(const char* path);
// Unloads a module by file name or path; false when refused or unknown.
HOST_API bool unloadModule(const char* name);
HOST_API void unloadAllModules();

// Ways to make the document manager misbehave, for tests.
struct Faults {
    bool noIterator;             // newAcApDocumentIterator returns null
    bool nullDocument;           // iterators yield null documents
    bool noFileName;             // documents report a null file name
    const char* faultyDrawing;   // when set, nullDocument and noFileName hit only the
                                 // drawing whose path ends with it
    const char* missingEntry;    // a system registry entry that is not there
    const char* wrongClassEntry; // a system registry entry of an unexpected class
    int failSaveAt;              // the n-th saveAs from now on fails (1 the next); 0 none
    bool failSavesAfter;         // and every one after it too
    int savesSeen;               // saveAs calls counted for failSaveAt
    bool ignoreExecuteStrings;   // sendStringToExecute takes strings and drops them
    int slowDialogMs;            // the Options dialog takes this long to set itself up,
                                 // as on a loaded machine
};
HOST_API Faults& faults();

// The last lines printed on the command line, newest last.
HOST_API const char* lastPrinted();

} // namespace cadhost
