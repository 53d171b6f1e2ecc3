// The message the previous run left in the registry, shown once at start-up.
#pragma once

// Shows the value "Message" in a box over the host's main window, then
// deletes it; a value that could not be shown stays for the next start.
void showLastRunMessage();
