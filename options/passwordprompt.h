// The prompt that guards the options dialog when protection is on.
#pragma once
#include "acui.h"

class PasswordPromptDialog : public CAcUiDialog {
  public:
    explicit PasswordPromptDialog(CWnd* parent);

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    // Ends with IDOK only for the right password.
    void OnOK() override;
};
