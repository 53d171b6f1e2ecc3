// What happens to the drawings when the idle time is over.
#pragma once
#include <string>

enum CloseAction { QuitWithoutSaving = 0, SaveToCurrentDrawing = 1, SaveToOtherDrawing = 2 };

// Saves or discards, closes and reports every drawing, then closes the host
// when none is left. The data pointer is ignored.
void runCloseAction(void* data);

// The name a drawing is saved under: empty for QuitWithoutSaving.
void buildSaveName(int action, const std::string& fileName, std::string& target);
// The same with the working directory given, for drawings without a folder.
std::string saveNameIn(int action, const std::string& fileName, const std::string& workDir);
