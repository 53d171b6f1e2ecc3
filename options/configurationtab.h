// The "Configuration" page: inactivity time, countdown, close action,
// whether the countdown window may disable the watch, and whether input
// counts as activity.
#pragma once
#include "ui/acui.h"

class GuardSettings;

class ConfigurationTab : public CAcUiTabChildDialog {
  public:
    // The page shows and stores settings, which outlive it.
    explicit ConfigurationTab(GuardSettings& settings, CWnd* parent = nullptr);

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL ExchangeData(BOOL save) override;

  private:
    GuardSettings& settings_;
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
