// The host's dialog base classes.
#pragma once
#include "afxshim.h"

// Asks a modeless window whether it keeps the keyboard focus.
#define WM_ACAD_KEEPFOCUS (WM_USER + 0x6D01)

class HOST_API CAdUiBaseDialog : public CDialog {
  public:
    CAdUiBaseDialog(UINT templateId, CWnd* parent = nullptr, HINSTANCE dialogResource = nullptr);
    ~CAdUiBaseDialog() override;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void PostNcDestroy() override;
};

class HOST_API CAcUiDialog : public CAdUiBaseDialog {
  public:
    CAcUiDialog(UINT templateId, CWnd* parent = nullptr, HINSTANCE dialogResource = nullptr);
    ~CAcUiDialog() override;
};
