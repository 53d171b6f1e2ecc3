#include "options/optionscommand.h"
#include "aced.h"
#include "common/shield.h"
#include "options/optionsdialog.h"
#include "options/passwordprompt.h"
#include "settings/guardsettings.h"
#include "shell/guardapp.h"
#include "shell/resourcescope.h"
#include "shell/tarnel.h"

void optionsCommand() {
    // A command handler the host calls: nothing thrown here may reach it.
    shielded([] {
        GuardSettings* settings = appSettings();
        if (!settings) return;
        // Every template below comes from the resource library; the handle
        // is popped on every way out.
        HostResourceScope resources(extensionRecord()->moduleResource);
        OptionsDialog dialog(acedGetAcadFrame());
        if (settings->getProtection()) {
            PasswordPromptDialog prompt(acedGetAcadFrame());
            if (prompt.DoModal() != IDOK) return;
        }
        dialog.DoModal();
    });
}
