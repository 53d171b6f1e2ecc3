// The "Password" page: protection on or off, and the password with its
// confirmation.
#pragma once
#include <string>
#include "ui/acui.h"

class GuardSettings;

class PasswordTab : public CAcUiTabChildDialog {
  public:
    // The page shows and stores settings, which outlive it.
    explicit PasswordTab(GuardSettings& settings, CWnd* parent = nullptr);
    // True when text is long enough; false after a message otherwise.
    bool validatePasswordText(const std::string& text);

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL ExchangeData(BOOL save) override;

  private:
    GuardSettings& settings_;
    int protectionCheck = 0;
};
