// The handler of the "tarnel_opt" command.
#pragma once

void optionsCommand();

// What the command says while the options dialog is not built.
const char kOptionsUnavailable[] = "The Tarnel options dialog is not available in this "
                                   "version; its settings keep their values in tarnel.cfg.";
