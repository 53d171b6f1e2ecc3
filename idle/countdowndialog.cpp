#include "idle/countdowndialog.h"
#include <new>
#include "shell/hostcalls.h"
#include "cmdlog/journal.h"
#include "common/shield.h"
#include "settings/guardsettings.h"
#include "idle/idletimer.h"
#include "resources/resource.h"
#include "shell/resourcescope.h"

CountdownDialog::CountdownDialog(CWnd* parent) : CAcUiDialog(IDD_COUNTDOWN, parent, nullptr) {}

CountdownDialog::~CountdownDialog() {
    forgetCountdown(this);
}

void CountdownDialog::DoDataExchange(CDataExchange* dx) {
    CAcUiDialog::DoDataExchange(dx);
}

void CountdownDialog::PostNcDestroy() {
    CAdUiBaseDialog::PostNcDestroy();
    delete this;
}

BOOL CountdownDialog::OnInitDialog() {
    shielded([&] {
        CAdUiBaseDialog::OnInitDialog();
        const GuardSettings* settings = idleSettings();
        if (CWnd* disable = GetDlgItem(IDC_COUNTDOWN_DISABLE))
            disable->EnableWindow(settings && settings->getAllowDisable());
        if (HMENU menu = GetSystemMenu(m_hWnd, FALSE))
            EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    });
    return TRUE;
}

BEGIN_MESSAGE_MAP(CountdownDialog, CAcUiDialog)
ON_MESSAGE(WM_ACAD_KEEPFOCUS, onKeepFocus)
ON_BN_CLICKED(IDC_COUNTDOWN_DISABLE, onDisable)
ON_BN_CLICKED(IDC_COUNTDOWN_CANCEL, onCancelCountdown)
ON_WM_CLOSE()
END_MESSAGE_MAP()

LRESULT CountdownDialog::onKeepFocus(WPARAM, LPARAM) {
    return TRUE; // the window keeps the focus
}

void CountdownDialog::onDisable() {
    journal(JournalEvent(journalevent::kDisabled));
    stopIdleTimer(); // destroys this window
}

void CountdownDialog::onCancelCountdown() {
    const GuardSettings* s = idleSettings();
    journal(JournalEvent(journalevent::kCancelled)
                .withSeconds(s ? s->getTimeInactivity() * 60 - idleTimerState().idleSeconds : -1));
    resetIdle(); // destroys this window
}

void showCountdown() {
    ResourceScope scope;
    if (idleTimerState().countdownWindow) return;
    CountdownDialog* dialog =
        new (std::nothrow) CountdownDialog(CWnd::FromHandle(host::mainWindow()));
    if (!dialog) return;
    adoptCountdown(dialog);
    dialog->Create(IDD_COUNTDOWN);
    if (dialog->GetSafeHwnd()) {
        dialog->ShowWindow(SW_SHOW);
        dialog->CenterWindow();
    }
}
