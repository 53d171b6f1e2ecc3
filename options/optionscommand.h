// The handler of the "tarnel_opt" command: the password prompt when
// protection is on, then the options dialog.
#pragma once

void optionsCommand();
