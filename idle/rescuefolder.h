// Where a drawing goes when its save cannot reach its folder: the folder
// "Tarnel rescue" in the user's temporary folder, on the local disk.
#pragma once
#include <string>

// A free name in the rescue folder for the drawing, named after it and the
// local time; the folder is made when missing. Empty when there is none.
std::string rescueTargetFor(const std::string& fileName);
