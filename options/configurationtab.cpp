#include "options/configurationtab.h"
#include "common/shield.h"
#include "common/textformat.h"
#include "options/policycontrols.h"
#include "resources/resource.h"
#include "settings/guardsettings.h"
#include "settings/settingsformat.h"

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

// The range the settings file accepts for a key: the one table of keys.
const settingsformat::KeyInfo& keyOf(const char* name) {
    return *settingsformat::findKey(name);
}

// False, with the page's message, when value is outside the key's range.
bool inRange(CWnd* owner, const char* key, int value, const char* format) {
    const settingsformat::KeyInfo& k = keyOf(key);
    if (value >= k.low && value <= k.high) return true;
    std::string text = formatText(format, k.low, k.high);
    owner->MessageBox(text.c_str(), "Invalid value", MB_ICONINFORMATION);
    return false;
}

} // namespace

ConfigurationTab::ConfigurationTab(GuardSettings& settings, CWnd* parent)
    : CAcUiTabChildDialog(parent, nullptr), settings_(settings) {}

void ConfigurationTab::DoDataExchange(CDataExchange* dx) {
    CAcUiTabChildDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_CONFIG_INACTIVITY_SPIN, inactivitySpin);
    DDX_Control(dx, IDC_CONFIG_COUNTDOWN_SPIN, countdownSpin);
    DDX_Text(dx, IDC_CONFIG_INACTIVITY, inactivityMinutes);
    DDX_Text(dx, IDC_CONFIG_COUNTDOWN, countdownSeconds);
    DDX_Radio(dx, IDC_CONFIG_ACTION, closeActionChoice);
    DDX_Check(dx, IDC_CONFIG_ALLOW_DISABLE, allowDisableCheck);
    DDX_Check(dx, IDC_CONFIG_COUNT_INPUT, countInputCheck);
    DDX_Check(dx, IDC_CONFIG_CANCEL_WAITING, cancelWaitingCheck);
    DDX_Check(dx, IDC_CONFIG_DRY_RUN, dryRunCheck);
}

BOOL ConfigurationTab::OnInitDialog() {
    shielded([&] {
        CAdUiBaseDialog::OnInitDialog();
        const settingsformat::KeyInfo& inactivity = keyOf("TimeInactivity");
        const settingsformat::KeyInfo& countdown = keyOf("TimeCountdown");
        setUpSpin(inactivitySpin, inactivity.low, inactivity.high, 1);
        setUpSpin(countdownSpin, countdown.low, countdown.high, 2);
        DisplayData();
        showPolicy(m_hWnd, settings_,
                   {{IDC_CONFIG_INACTIVITY, "TimeInactivity"},
                    {IDC_CONFIG_INACTIVITY_SPIN, "TimeInactivity"},
                    {IDC_CONFIG_COUNTDOWN, "TimeCountdown"},
                    {IDC_CONFIG_COUNTDOWN_SPIN, "TimeCountdown"},
                    {IDC_CONFIG_ACTION, "Action"},
                    {IDC_CONFIG_ACTION_CURRENT, "Action"},
                    {IDC_CONFIG_ACTION_OTHER, "Action"},
                    {IDC_CONFIG_ALLOW_DISABLE, "AllowDisable"},
                    {IDC_CONFIG_COUNT_INPUT, "CountInput"},
                    {IDC_CONFIG_CANCEL_WAITING, "CancelWaiting"},
                    {IDC_CONFIG_DRY_RUN, "DryRun"}});
    });
    return TRUE;
}

BOOL ConfigurationTab::ExchangeData(BOOL save) {
    if (!save) {
        closeActionChoice = settings_.getAction();
        countdownSeconds = settings_.getTimeCountdown();
        inactivityMinutes = settings_.getTimeInactivity();
        allowDisableCheck = settings_.getAllowDisable() ? 1 : 0;
        countInputCheck = settings_.getCountInput() ? 1 : 0;
        cancelWaitingCheck = settings_.getCancelWaiting() ? 1 : 0;
        dryRunCheck = settings_.getDryRun() ? 1 : 0;
        UpdateData(FALSE);
        return TRUE;
    }
    // A time that is not a number has had the framework's message: the page
    // refuses rather than going on with the values from before.
    if (!UpdateData(TRUE)) return FALSE;
    // Every check comes before anything is stored: a page that refuses
    // leaves the settings as they were, so Cancel after it changes nothing.
    if (!inRange(GetMainDialog(), "TimeCountdown", countdownSeconds,
                 "Invalid value for countdown timeout (must be %d-%d)!") ||
        !inRange(GetMainDialog(), "TimeInactivity", inactivityMinutes,
                 "Invalid value for inactivity timeout (must be %d-%d)!"))
        return FALSE;
    settings_.setAction(closeActionChoice);
    settings_.setTimeCountdown(countdownSeconds);
    settings_.setTimeInactivity(inactivityMinutes);
    settings_.setAllowDisable(allowDisableCheck != 0);
    settings_.setCountInput(countInputCheck != 0);
    settings_.setCancelWaiting(cancelWaitingCheck != 0);
    settings_.setDryRun(dryRunCheck != 0);
    return TRUE;
}
