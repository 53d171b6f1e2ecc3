#include "options/configurationtab.h"
#include "common/shield.h"
#include "common/textformat.h"
#include "resources/resource.h"
#include "settings/guardsettings.h"
#include "shell/guardapp.h"

namespace {

// Decimal, the range, and one acceleration entry: the spin always moves by
// step however long its arrow is held.
void setUpSpin(CSpinButtonCtrl& spin, int lower, int upper, int step) {
    SendMessageA(spin.m_hWnd, UDM_SETBASE, 10, 0);
    SendMessageA(spin.m_hWnd, UDM_SETRANGE, 0, MAKELPARAM(upper, lower));
    UDACCEL accel = {}; // left as it is when the control has no entry to give
    SendMessageA(spin.m_hWnd, UDM_GETACCEL, 1, (LPARAM)&accel);
    accel.nInc = (UINT)step;
    SendMessageA(spin.m_hWnd, UDM_SETACCEL, 1, (LPARAM)&accel);
}

void refuse(CWnd* owner, const char* format, int low, int high) {
    std::string text = formatText(format, low, high);
    owner->MessageBox(text.c_str(), "Invalid value", MB_ICONINFORMATION);
}

} // namespace

ConfigurationTab::ConfigurationTab(CWnd* parent) : CAcUiTabChildDialog(parent, nullptr) {}

void ConfigurationTab::DoDataExchange(CDataExchange* dx) {
    CAcUiTabChildDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_CONFIG_INACTIVITY_SPIN, inactivitySpin);
    DDX_Control(dx, IDC_CONFIG_COUNTDOWN_SPIN, countdownSpin);
    DDX_Text(dx, IDC_CONFIG_INACTIVITY, inactivityMinutes);
    DDX_Text(dx, IDC_CONFIG_COUNTDOWN, countdownSeconds);
    DDX_Radio(dx, IDC_CONFIG_ACTION, closeActionChoice);
    DDX_Check(dx, IDC_CONFIG_ALLOW_DISABLE, allowDisableCheck);
    DDX_Check(dx, IDC_CONFIG_COUNT_INPUT, countInputCheck);
}

BOOL ConfigurationTab::OnInitDialog() {
    shielded([&] {
        CAdUiBaseDialog::OnInitDialog();
        setUpSpin(inactivitySpin, 1, 120, 1);
        setUpSpin(countdownSpin, 1, 60, 2);
        DisplayData();
    });
    return TRUE;
}

BOOL ConfigurationTab::ExchangeData(BOOL save) {
    GuardSettings* s = appSettings();
    if (!s) return TRUE;
    if (!save) {
        closeActionChoice = s->getAction();
        countdownSeconds = s->getTimeCountdown();
        inactivityMinutes = s->getTimeInactivity();
        allowDisableCheck = s->getAllowDisable() ? 1 : 0;
        countInputCheck = s->getCountInput() ? 1 : 0;
        UpdateData(FALSE);
        return TRUE;
    }
    // A time that is not a number has had the framework's message: the page
    // refuses rather than going on with the values from before.
    if (!UpdateData(TRUE)) return FALSE;
    s->setAction(closeActionChoice);
    if (countdownSeconds < 1 || countdownSeconds > 60) {
        refuse(GetMainDialog(), "Invalid value for countdown timeout (must be %d-%d)!", 1, 60);
        return FALSE;
    }
    s->setTimeCountdown(countdownSeconds);
    if (inactivityMinutes < 1 || inactivityMinutes > 120) {
        refuse(GetMainDialog(), "Invalid value for inactivity timeout (must be %d-%d)!", 1, 120);
        return FALSE;
    }
    s->setTimeInactivity(inactivityMinutes);
    s->setAllowDisable(allowDisableCheck != 0);
    s->setCountInput(countInputCheck != 0);
    return TRUE;
}
