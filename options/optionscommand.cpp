#include "options/optionscommand.h"
#include "aced.h"
#include "common/shield.h"
#include "resources/resource.h"
#include "shell/stringloader.h"

void optionsCommand() {
    // A command handler the host calls: nothing thrown here may reach it.
    shielded([] {
        std::string text = loadStringOr(IDS_OPTIONS_UNAVAILABLE, kOptionsUnavailable);
        acutPrintf("\n%s\n", text.c_str());
    });
}
