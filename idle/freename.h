// The first name of "name", "name (2)", ... "name (99)" (before the
// extension) that no file or folder has yet.
#pragma once
#include <string>

// Empty when all are taken or too long for a path.
std::string firstFreeName(const std::string& path);
