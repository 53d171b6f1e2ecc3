// The handler of the "tarnel_opt" command.
#pragma once

void optionsCommand();
