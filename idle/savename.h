// The name a drawing is saved under by the close action. Pure text, free of
// the platform.
#pragma once
#include <string>

// The target for an action and a drawing's file name: the file name itself
// for saving in place, "folder\tarnel_name" for a copy (the working
// directory workDir as the folder of a name without one), empty otherwise.
std::string saveNameIn(int action, const std::string& fileName, const std::string& workDir);
