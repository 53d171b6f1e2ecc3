// The few MFC pieces the module relies on: the current resource handle and
// the resource search chain, extension modules, the application object's
// message pump, and window and dialog wrappers.
#pragma once
#include <windows.h>
#include <string>
#include "hostapi.h"

struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentResourceHandle;
};
HOST_API AFX_MODULE_STATE* AfxGetModuleState();

struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
};
HOST_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
HOST_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

// Puts an extension module's resources on the resource search chain.
class HOST_API CDynLinkLibrary {
  public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
    virtual ~CDynLinkLibrary();
    HMODULE m_hModule;
    HMODULE m_hResource;
    BOOL m_bSystem;
    CDynLinkLibrary* m_pNextDLL;
};

// The current resource handle if it has the resource, else the first library
// on the chain that has it, else the current resource handle.
HOST_API HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type);

// String-table entry id through the resource search; false when missing.
inline bool AfxLoadString(UINT id, std::string& out) {
    out.clear();
    HINSTANCE h = AfxFindResourceHandle(MAKEINTRESOURCEA((id >> 4) + 1), (LPCSTR)RT_STRING);
    std::string buf(256, '\0');
    for (;;) {
        int n = LoadStringA(h, id, &buf[0], (int)buf.size());
        if (n <= 0) return false;
        if (n < (int)buf.size() - 1) {
            out.assign(buf.data(), n);
            return true;
        }
        buf.resize(buf.size() * 4);
    }
}

class HOST_API CWinApp {
  public:
    virtual ~CWinApp();
    // Retrieves, translates and dispatches one message, waiting for one if
    // none is queued; FALSE when it retrieved WM_QUIT.
    virtual BOOL PumpMessage();
};
HOST_API CWinApp* AfxGetApp();
// The message the thread's last PumpMessage retrieved (WM_QUIT with its exit
// code when PumpMessage returned FALSE).
HOST_API MSG* AfxGetCurrentMessage();

class HOST_API CWnd {
  public:
    CWnd();
    virtual ~CWnd();
    // The object attached to the window, or a wrapper kept until it is destroyed.
    static CWnd* FromHandle(HWND hwnd);
    HWND GetSafeHwnd() const { return m_hWnd; }
    BOOL ShowWindow(int cmd);
    void CenterWindow(CWnd* alternateOwner = nullptr);
    CWnd* GetDlgItem(int id) const;
    BOOL EnableWindow(BOOL enable = TRUE);
    void SetWindowText(const char* text);
    virtual BOOL DestroyWindow();
    // Handles a message; TRUE with *result when handled.
    virtual BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    virtual void PostNcDestroy();

    HWND m_hWnd;
};

class HOST_API CDataExchange {
  public:
    CDataExchange(CWnd* dlg, BOOL save) : m_bSaveAndValidate(save), m_pDlgWnd(dlg) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

class HOST_API CDialog : public CWnd {
  public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr);
    ~CDialog() override;
    virtual INT_PTR DoModal();
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx);
    BOOL UpdateData(BOOL save = TRUE);
    void EndDialog(int result);
    BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

  protected:
    UINT m_nIDHelp;
    CWnd* m_pParentWnd;
    HINSTANCE m_hDialogResource;
    bool m_bModal;

  private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HINSTANCE templateInstance(UINT templateId) const;
};
