// The handler of the "tarnel_opt" command: the password prompt when
// protection is on, then the options dialog.
#pragma once

#include <functional>

class GuardSettings;

// What the command works on, from the module's start to its unload: the
// settings (null: the command does nothing) and the help for F1.
void bindOptionsCommand(GuardSettings* settings, std::function<void(int)> help);
void optionsCommand();
