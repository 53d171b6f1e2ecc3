#include "options/optionscommand.h"
#include "shell/hostcalls.h"
#include "common/shield.h"
#include "options/optionsdialog.h"
#include "options/passwordprompt.h"
#include "settings/guardsettings.h"
#include "shell/resourcescope.h"

namespace {
GuardSettings* boundSettings = nullptr;
std::function<void(int)> boundHelp;
} // namespace

void bindOptionsCommand(GuardSettings* settings, std::function<void(int)> help) {
    boundSettings = settings;
    boundHelp = std::move(help);
}

void optionsCommand() {
    // A command handler the host calls: nothing thrown here may reach it.
    shielded([] {
        GuardSettings* settings = boundSettings;
        if (!settings) return;
        // Every template below comes from the resource library; the handle
        // is popped on every way out.
        HostResourceScope resources(ui::resourceLibrary());
        // Owned by the host's main window, through the module's own UI library.
        CWnd* frame = CWnd::FromHandle(host::mainWindow());
        OptionsDialog dialog(frame, *settings, boundHelp);
        if (settings->getProtection()) {
            PasswordPromptDialog prompt(frame, *settings);
            if (prompt.DoModal() != IDOK) return;
        }
        dialog.DoModal();
    });
}
