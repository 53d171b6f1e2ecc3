#include "options/passwordtab.h"
#include "common/shield.h"
#include "options/policycontrols.h"
#include "resources/resource.h"
#include "settings/guardsettings.h"

PasswordTab::PasswordTab(GuardSettings& settings, CWnd* parent)
    : CAcUiTabChildDialog(parent, nullptr), settings_(settings) {}

void PasswordTab::DoDataExchange(CDataExchange* dx) {
    CAcUiTabChildDialog::DoDataExchange(dx);
    DDX_Check(dx, IDC_PASSWORD_PROTECT, protectionCheck);
}

BOOL PasswordTab::OnInitDialog() {
    shielded([&] {
        CAdUiBaseDialog::OnInitDialog();
        DisplayData();
        // No policy sets the password; LockOptions holds the page.
        showPolicy(m_hWnd, settings_,
                   {{IDC_PASSWORD_PROTECT, nullptr},
                    {IDC_PASSWORD_NEW, nullptr},
                    {IDC_PASSWORD_CONFIRM, nullptr}});
    });
    return TRUE;
}

bool PasswordTab::validatePasswordText(const std::string& text) {
    const char* message = nullptr;
    if (text.empty())
        message = "Password can't be empty!";
    else if (text.size() < 6)
        message = "Password must be at lest 6 characters long!";
    else
        return true;
    GetMainDialog()->MessageBox(message, "Wrong password", MB_ICONINFORMATION);
    return false;
}

BOOL PasswordTab::ExchangeData(BOOL save) {
    if (!save) {
        protectionCheck = settings_.getProtection() ? 1 : 0;
        SetDlgItemText(IDC_PASSWORD_NEW, settings_.getPassword().c_str());
        SetDlgItemText(IDC_PASSWORD_CONFIRM, settings_.getPassword().c_str());
        UpdateData(FALSE);
        return TRUE;
    }
    UpdateData(TRUE);
    settings_.setProtection(protectionCheck != 0);
    if (!protectionCheck) return TRUE;
    const std::string password = GetDlgItemText(IDC_PASSWORD_NEW);
    const std::string confirmation = GetDlgItemText(IDC_PASSWORD_CONFIRM);
    if (!validatePasswordText(password)) return FALSE;
    if (password == confirmation) {
        settings_.setPassword(password);
        return TRUE;
    }
    GetMainDialog()->MessageBox("Password and confirmations differ!", "Information", MB_ICONERROR);
    return FALSE;
}
