// What the close action leaves behind for each drawing: a block in the
// report log in the working directory, and the registry message shown at
// the next start.
#pragma once
#include <string>

// Appends the block to "tarnel.log" and, once it is written, replaces the
// registry value "Message". Nothing is reported when either fails.
void reportClosedDrawing(const std::string& target, int action, int status);
