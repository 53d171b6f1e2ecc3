#include "optionscommand.h"
#include "aced.h"

void optionsCommand() {
    acutPrintf("\nThe Tarnel options dialog is not available in this version; "
               "edit tarnel.cfg beside the module instead.\n");
}
