// The host's dialog base classes: plain dialogs, and tabbed dialogs whose
// pages are child dialogs inside a tab control.
#pragma once
#include <vector>
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

class CAdUiTabChildDialog;

// The tab control of a tabbed dialog. Each tab has a page, a child dialog
// made from its template inside the tab's display area; a selection change
// shows the selected page and hides the others.
class HOST_API CAdUiTab : public CTabCtrl {
  public:
    CAdUiTab();
    ~CAdUiTab() override;
    // Inserts the tab at index and makes its page from the template.
    BOOL AddTab(int index, const char* title, UINT templateId, CAdUiTabChildDialog* page);
    int GetActiveTab() const;
    CAdUiTabChildDialog* GetDialogPointer(int index) const;
    // Selects a tab and shows its page, as a click would (without asking).
    void SetActiveTab(int index);

  protected:
    void onSelChange(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

  private:
    void showPage(int index);
    std::vector<CAdUiTabChildDialog*> pages_;
};

class HOST_API CAdUiTabMainDialog : public CAdUiBaseDialog {
  public:
    CAdUiTabMainDialog(UINT templateId, CWnd* parent = nullptr, HINSTANCE dialogResource = nullptr);
    ~CAdUiTabMainDialog() override;
    void SetAcadTabPointer(CAdUiTab* tab) { m_pAcadTab = tab; }
    CAdUiTab* GetAcadTabPointer() const { return m_pAcadTab; }

  protected:
    CAdUiTab* m_pAcadTab = nullptr;
};

class HOST_API CAcUiTabMainDialog : public CAdUiTabMainDialog {
  public:
    CAcUiTabMainDialog(UINT templateId, CWnd* parent = nullptr, HINSTANCE dialogResource = nullptr);
    ~CAcUiTabMainDialog() override;
    void OnOK() override;
    void OnCancel() override;
    virtual HWND AppMainWindow();
    virtual HINSTANCE AppResourceInstance();
    virtual const char* AppRootKey();
    virtual void OnDialogHelp();
    virtual void AddApplicationTabs();
};

// A page of a tabbed dialog.
class HOST_API CAdUiTabChildDialog : public CAdUiBaseDialog {
  public:
    explicit CAdUiTabChildDialog(CWnd* parent = nullptr, HINSTANCE dialogResource = nullptr);
    ~CAdUiTabChildDialog() override;
    // With FALSE, settings into controls; with TRUE, controls checked and
    // stored. FALSE refuses (the page has shown its own message).
    virtual BOOL ExchangeData(BOOL save);
    BOOL DisplayData() { return ExchangeData(FALSE); }
    BOOL ValidateData() { return ExchangeData(TRUE); }
    // The tabbed dialog the page sits in.
    CWnd* GetMainDialog() const { return m_pMainDialog; }

  private:
    friend class CAdUiTab;
    CWnd* m_pMainDialog = nullptr;
};

class HOST_API CAcUiTabChildDialog : public CAdUiTabChildDialog {
  public:
    explicit CAcUiTabChildDialog(CWnd* parent = nullptr, HINSTANCE dialogResource = nullptr);
    ~CAcUiTabChildDialog() override;
};
