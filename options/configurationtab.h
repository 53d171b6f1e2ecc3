// The "Configuration" page: inactivity time, countdown, close action and
// whether the countdown window may disable the watch.
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
};
