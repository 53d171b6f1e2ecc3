// What happens to the drawings when the idle time is over.
#pragma once
#include <string>

enum CloseAction { QuitWithoutSaving = 0, SaveToCurrentDrawing = 1, SaveToOtherDrawing = 2 };

// Saves or discards, closes and reports every drawing, then closes the host
// when none is left. The data pointer is ignored. A drawing whose save
// failed stays open with its changes, and then the host stays open too.
void runCloseAction(void* data);

// The name a drawing is saved under: empty for QuitWithoutSaving.
void buildSaveName(int action, const std::string& fileName, std::string& target);
