// The name a drawing is saved under by the close action. Pure text, free of
// the platform.
#pragma once
#include <string>

// The target for an action and a drawing's file name: the file name itself
// for saving in place, "folder\tarnel_name" for a copy, empty otherwise. A
// name without a folder of its own is put in the working directory workDir
// for either action.
std::string saveNameIn(int action, const std::string& fileName, const std::string& workDir);
// Whether a drawing's file name has a folder of its own; a drawing made
// with NEW and never saved has none.
bool hasOwnFolder(const std::string& fileName);
// path with " (n)" before the extension of its last part when n > 1: the
// n-th name to try when the ones before it are taken.
std::string numberedName(const std::string& path, int n);
