// The dialog base classes the host's dialogs are made of, in the module's
// own UI library: plain dialogs, and tabbed dialogs whose pages are child
// dialogs inside a tab control.
#pragma once
#include <vector>
#include "ui/afxwin.h"

// Asks a modeless window whether it keeps the keyboard focus.
#define WM_ACAD_KEEPFOCUS (WM_USER + 0x6D01)

class CAdUiBaseDialog : public CDialog {
  public:
    CAdUiBaseDialog(UINT templateId, CWnd* parent = nullptr, HINSTANCE dialogResource = nullptr);
    ~CAdUiBaseDialog() override;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void PostNcDestroy() override;
};

class CAcUiDialog : public CAdUiBaseDialog {
  public:
    CAcUiDialog(UINT templateId, CWnd* parent = nullptr, HINSTANCE dialogResource = nullptr);
    ~CAcUiDialog() override;
};

class CAdUiTabChildDialog;

// The tab control of a tabbed dialog. Each tab has a page, a child dialog
// made from its template inside the tab's display area; a selection change
// shows the selected page and hides the others.
class CAdUiTab : public CTabCtrl {
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

class CAdUiTabMainDialog : public CAdUiBaseDialog {
  public:
    CAdUiTabMainDialog(UINT templateId, CWnd* parent = nullptr, HINSTANCE dialogResource = nullptr);
    ~CAdUiTabMainDialog() override;
    void SetAcadTabPointer(CAdUiTab* tab) { m_pAcadTab = tab; }
    CAdUiTab* GetAcadTabPointer() const { return m_pAcadTab; }

  protected:
    CAdUiTab* m_pAcadTab = nullptr;
};

class CAcUiTabMainDialog : public CAdUiTabMainDialog {
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
class CAdUiTabChildDialog : public CAdUiBaseDialog {
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

class CAcUiTabChildDialog : public CAdUiTabChildDialog {
  public:
    explicit CAcUiTabChildDialog(CWnd* parent = nullptr, HINSTANCE dialogResource = nullptr);
    ~CAcUiTabChildDialog() override;
};
