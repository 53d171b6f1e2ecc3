// The "Configuration" page: inactivity time, countdown, close action,
// whether the countdown window may disable the watch, and whether input
// counts as activity.
#pragma once
#include "acui.h"

class ConfigurationTab : public CAcUiTabChildDialog {
  public:
    explicit ConfigurationTab(CWnd* parent = nullptr);

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL ExchangeData(BOOL save) override;

  private:
    CSpinButtonCtrl inactivitySpin;
    CSpinButtonCtrl countdownSpin;
    int inactivityMinutes = 10;
    int countdownSeconds = 10;
    int closeActionChoice = 0;
    int allowDisableCheck = 0;
    int countInputCheck = 0;
    int cancelWaitingCheck = 0;
    int dryRunCheck = 0;
};
