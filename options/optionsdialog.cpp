#include "options/optionsdialog.h"
#include "cmdlog/journal.h"
#include "common/shield.h"
#include "idle/idletimer.h"
#include "resources/resource.h"
#include "settings/guardsettings.h"

BEGIN_MESSAGE_MAP(OptionsDialog, CAcUiTabMainDialog)
ON_NOTIFY(TCN_SELCHANGING, IDC_OPTIONS_TAB, onTabChanging)
ON_WM_HELPINFO()
END_MESSAGE_MAP()

OptionsDialog::OptionsDialog(CWnd* parent, GuardSettings& settings, std::function<void(int)> help)
    : CAcUiTabMainDialog(IDD_OPTIONS, parent, nullptr), settings_(settings), help_(std::move(help)),
      passwordPage_(settings), configurationPage_(settings), loggingPage_(settings) {}

void OptionsDialog::DoDataExchange(CDataExchange* dx) {
    CAcUiTabMainDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_OPTIONS_TAB, tab_);
}

BOOL OptionsDialog::OnInitDialog() {
    shielded([&] {
        CAdUiBaseDialog::OnInitDialog();
        SetAcadTabPointer(&tab_);
        tab_.AddTab(0, "Configuration", IDD_CONFIGURATION, &configurationPage_);
        tab_.AddTab(1, "Password", IDD_PASSWORD, &passwordPage_);
        tab_.AddTab(2, "Logging", IDD_LOGGING, &loggingPage_);
        tab_.AddTab(3, "About", IDD_ABOUT, &aboutPage_);
        ModifyStyleEx(WS_EX_CONTEXTHELP, 0); // no context-help button
    });
    return TRUE;
}

CAdUiTabChildDialog* OptionsDialog::activePage() const {
    return tab_.GetDialogPointer(tab_.GetActiveTab());
}

void OptionsDialog::onTabChanging(NMHDR*, LRESULT* result) {
    *result = 0;
    CAdUiTabChildDialog* page = activePage();
    if (page && !page->ValidateData()) *result = 1; // the page has said why
}

void OptionsDialog::OnOK() {
    shielded([&] {
        CAdUiTabChildDialog* page = activePage();
        if (page && !page->ValidateData()) return;
        settings_.save(); // a failed save is not reported
        stopIdleTimer();
        restartIdleTimer();
        journalSettingsChanged();
        CAcUiTabMainDialog::OnOK();
    });
}

BOOL OptionsDialog::OnHelpInfo(HELPINFO*) {
    if (help_) help_(1000);
    return TRUE;
}
