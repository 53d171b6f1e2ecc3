#include "options/passwordprompt.h"
#include "common/shield.h"
#include "resources/resource.h"
#include "settings/guardsettings.h"
#include "shell/guardapp.h"

PasswordPromptDialog::PasswordPromptDialog(CWnd* parent)
    : CAcUiDialog(IDD_PASSWORD_PROMPT, parent, nullptr) {}

void PasswordPromptDialog::DoDataExchange(CDataExchange* dx) {
    CAcUiDialog::DoDataExchange(dx);
}

void PasswordPromptDialog::OnOK() {
    shielded([&] {
        GuardSettings* s = appSettings();
        if (s && s->checkPassword(GetDlgItemText(IDC_PROMPT_PASSWORD))) {
            CAcUiDialog::OnOK();
            return;
        }
        MessageBox("Invalid password !", "Error", MB_ICONINFORMATION);
    });
}
