// What happens to the drawings when the idle time is over.
#pragma once
#include <string>
#include "idle/closeactioncode.h"

// Saves or discards, closes and reports every drawing, then closes the host
// when none is left. The data pointer is ignored. A drawing whose save
// failed is saved as a rescue copy in the user's temporary folder and
// closed; when that fails too it stays open with its changes, the host stays
// open, and the idle watch starts again from zero; so does a drawing the
// host reports without a file name or database, skipped by the walk.
void runCloseAction(void* data);

// The name a drawing is saved under: empty for QuitWithoutSaving, and when
// a drawing without a folder of its own finds no free name in the working
// directory (then it goes to a rescue copy).
void buildSaveName(int action, const std::string& fileName, std::string& target);
