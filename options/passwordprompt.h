// The prompt that guards the options dialog when protection is on.
#pragma once
#include "ui/acui.h"

class GuardSettings;

class PasswordPromptDialog : public CAcUiDialog {
  public:
    // Asks for the password that settings hold.
    PasswordPromptDialog(CWnd* parent, const GuardSettings& settings);

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    // Ends with IDOK only for the right password.
    void OnOK() override;

  private:
    const GuardSettings& settings_;
};
