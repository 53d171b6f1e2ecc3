// The message the previous run left in the registry, shown once at start-up.
#pragma once
#include <cstddef>

// Shows the value "Message" in a box over the host's main window, then
// deletes it; a value that could not be shown stays for the next start.
// A value of any length is shown up to its first kLastRunShownMax
// characters, and deleted.
void showLastRunMessage();

constexpr size_t kLastRunShownMax = 1023;
