#include "options/passwordprompt.h"
#include "common/shield.h"
#include "resources/resource.h"
#include "settings/guardsettings.h"

PasswordPromptDialog::PasswordPromptDialog(CWnd* parent, const GuardSettings& settings)
    : CAcUiDialog(IDD_PASSWORD_PROMPT, parent, nullptr), settings_(settings) {}

void PasswordPromptDialog::DoDataExchange(CDataExchange* dx) {
    CAcUiDialog::DoDataExchange(dx);
}

void PasswordPromptDialog::OnOK() {
    shielded([&] {
        if (settings_.checkPassword(GetDlgItemText(IDC_PROMPT_PASSWORD))) {
            CAcUiDialog::OnOK();
            return;
        }
        MessageBox("Invalid password !", "Error", MB_ICONINFORMATION);
    });
}
