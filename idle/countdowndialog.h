// The small modeless window that counts the last seconds down.
#pragma once
#include "ui/acui.h"

class CountdownDialog : public CAcUiDialog {
  public:
    explicit CountdownDialog(CWnd* parent);
    // Whoever deletes the window object, the idle timer forgets it.
    ~CountdownDialog() override;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    void PostNcDestroy() override;
    BOOL OnInitDialog() override;
    // Escape would only hide a modeless dialog while the countdown went on.
    void OnCancel() override {}

    LRESULT onKeepFocus(WPARAM, LPARAM);
    void onDisable();
    void onCancelCountdown();
    // The close box, Alt+F4 and the system menu do nothing.
    void OnClose() {}
    DECLARE_MESSAGE_MAP()
};

// Creates, shows and centres the countdown window over the host's main
// window, unless one is open already.
void showCountdown();
