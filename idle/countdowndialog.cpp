#include "idle/countdowndialog.h"
#include <new>
#include "aced.h"
#include "common/shield.h"
#include "shell/guardapp.h"
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
        GuardSettings* settings = appSettings();
        if (CWnd* disable = GetDlgItem(IDC_COUNTDOWN_DISABLE))
            disable->EnableWindow(settings && settings->getAllowDisable());
        if (HMENU menu = GetSystemMenu(m_hWnd, FALSE))
            EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    });
    return TRUE;
}

BOOL CountdownDialog::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    BOOL handled = FALSE;
    shielded([&] { handled = handleMessage(msg, wp, lp, result); });
    return handled;
}

BOOL CountdownDialog::handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    switch (msg) {
    case WM_ACAD_KEEPFOCUS:
        *result = TRUE;
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED && LOWORD(wp) == IDC_COUNTDOWN_DISABLE) {
            *result = 0;
            stopIdleTimer(); // destroys this window
            return TRUE;
        }
        if (HIWORD(wp) == BN_CLICKED && LOWORD(wp) == IDC_COUNTDOWN_CANCEL) {
            *result = 0;
            resetIdle(); // destroys this window
            return TRUE;
        }
        break;
    case WM_CLOSE:
        *result = 0; // the close box, Alt+F4 and the system menu do nothing
        return TRUE;
    default:
        break;
    }
    return CAcUiDialog::OnWndMsg(msg, wp, lp, result);
}

void showCountdown() {
    ResourceScope scope;
    if (idleTimerState().countdownWindow) return;
    CountdownDialog* dialog =
        new (std::nothrow) CountdownDialog(CWnd::FromHandle(adsw_acadMainWnd()));
    if (!dialog) return;
    adoptCountdown(dialog);
    dialog->Create(IDD_COUNTDOWN);
    if (dialog->GetSafeHwnd()) {
        dialog->ShowWindow(SW_SHOW);
        dialog->CenterWindow();
    }
}
