// The module's own UI library, shaped as MFC's: windows with message maps
// and reflection, dialogs with data exchange and their own modal loop,
// controls, drawing and the common file dialog. It runs on Win32 alone and
// never meets the host: what it knows of the application is what the module
// sets (ui/uiapp.h).
//
// Underneath it follows WTL's rules: nothing here throws. Message-map
// entries call their handlers through thunks instantiated in the module that
// declares the map, and each thunk keeps every exception on that side.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <string>

// A message box over the active window of the thread (or the host's main
// window), captioned with the application's name.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);

struct CPoint : POINT {
    CPoint() { x = y = 0; }
    CPoint(int px, int py) {
        x = px;
        y = py;
    }
};

struct CRect : RECT {
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};

class CWnd;
class CDC;
class CDataExchange;

// One entry of a message map. The thunk calls the handler; it returns TRUE
// when the message was handled, with the result in *result.
typedef BOOL (*AFX_PMSGTHUNK)(CWnd* target, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // the message; WM_COMMAND and WM_NOTIFY match nCode and the id range
    UINT nCode;
    UINT nID;
    UINT nLastID;
    AFX_PMSGTHUNK thunk;
};
struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Reflected messages reach the control that sent them under this offset.
#define WM_REFLECT_BASE 0xBC00

class CWnd {
  public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object attached to the window, or a wrapper kept until it is destroyed.
    static CWnd* FromHandle(HWND hwnd);
    // The object attached to the window, or null.
    static CWnd* FromHandlePermanent(HWND hwnd);
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Attaches to an existing window: PreSubclassWindow, then the window's
    // messages go through this object's message map first.
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    virtual void PreSubclassWindow();
    // Run for every message of a modal loop, from the window the message is
    // for up to the dialog; TRUE when the message was handled.
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual BOOL DestroyWindow();
    virtual void PostNcDestroy();

    // Handles a message: reflection to the child that sent it, then the
    // message-map chain. TRUE with *result when handled.
    virtual BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    // A message reflected from the parent; TRUE when this control handled it.
    virtual BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    // The default processing of the message now being handled.
    LRESULT Default();

    BOOL ShowWindow(int cmd);
    void CenterWindow(CWnd* alternateOwner = nullptr);
    CWnd* GetDlgItem(int id) const;
    CWnd* GetParent() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    void SetWindowText(const char* text);
    std::string GetWindowText() const;
    void SetDlgItemText(int id, const char* text);
    std::string GetDlgItemText(int id) const;
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0);
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
    void ScreenToClient(LPRECT rect) const;
    void Invalidate(BOOL erase = TRUE);
    BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags);
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);
    int GetDlgCtrlID() const;

    // Handlers that message maps name; by default the message's default.
    void OnMouseMove(UINT flags, CPoint point);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnPaint();
    BOOL OnHelpInfo(HELPINFO* info);
    void OnClose();

    HWND m_hWnd;

  protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    // Attaches this object to hwnd without subclassing it.
    void attach(HWND hwnd);
    void detach();

    WNDPROC m_pfnSuper = nullptr; // the window's own procedure once subclassed
    // The message now being handled, for Default().
    struct CurrentMessage {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
    };
    CurrentMessage m_cur = {0, 0, 0};
    bool m_defaultWanted = false; // a dialog's handler asked for the default

  private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend class CDialog;
    BOOL walkMessageMap(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
};

// --- Message maps, as MFC declares them ---------------------------------

#define DECLARE_MESSAGE_MAP()                                                                      \
  protected:                                                                                       \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        typedef theClass ThisClass;                                                                \
        typedef baseClass TheBaseClass;                                                            \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, 0, nullptr }                                                                        \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, &entries[0]};                 \
    (void)sizeof(ThisClass);                                                                       \
    return &map;                                                                                   \
    }

namespace afxthunk {

// Every call into a handler runs here, in the module that declared the map:
// an exception stops at this frame and the message counts as handled.
template <typename F> BOOL guarded(F&& f) noexcept {
    try {
        f();
    } catch (...) {
    }
    return TRUE;
}

template <class T, void (T::*F)()> BOOL voidCall(CWnd* w, UINT, WPARAM, LPARAM, LRESULT* r) {
    *r = 0;
    return guarded([&] { (static_cast<T*>(w)->*F)(); });
}
template <class T, void (T::*F)(NMHDR*, LRESULT*)>
BOOL notifyCall(CWnd* w, UINT, WPARAM, LPARAM lp, LRESULT* r) {
    *r = 0;
    return guarded([&] { (static_cast<T*>(w)->*F)(reinterpret_cast<NMHDR*>(lp), r); });
}
template <class T, LRESULT (T::*F)(WPARAM, LPARAM)>
BOOL messageCall(CWnd* w, UINT, WPARAM wp, LPARAM lp, LRESULT* r) {
    *r = 0;
    return guarded([&] { *r = (static_cast<T*>(w)->*F)(wp, lp); });
}
template <class T, void (T::*F)(UINT, CPoint)>
BOOL mouseCall(CWnd* w, UINT, WPARAM wp, LPARAM lp, LRESULT* r) {
    *r = 0;
    CPoint p((short)LOWORD(lp), (short)HIWORD(lp));
    return guarded([&] { (static_cast<T*>(w)->*F)((UINT)wp, p); });
}
template <class T, void (T::*F)(UINT, int, int)>
BOOL sizeCall(CWnd* w, UINT, WPARAM wp, LPARAM lp, LRESULT* r) {
    *r = 0;
    return guarded(
        [&] { (static_cast<T*>(w)->*F)((UINT)wp, (short)LOWORD(lp), (short)HIWORD(lp)); });
}
template <class T, BOOL (T::*F)(CWnd*, UINT, UINT)>
BOOL setCursorCall(CWnd* w, UINT, WPARAM wp, LPARAM lp, LRESULT* r) {
    *r = FALSE;
    return guarded(
        [&] { *r = (static_cast<T*>(w)->*F)(CWnd::FromHandle((HWND)wp), LOWORD(lp), HIWORD(lp)); });
}
template <class T, BOOL (T::*F)(HELPINFO*)>
BOOL helpCall(CWnd* w, UINT, WPARAM, LPARAM lp, LRESULT* r) {
    *r = FALSE;
    return guarded([&] { *r = (static_cast<T*>(w)->*F)(reinterpret_cast<HELPINFO*>(lp)); });
}
CDC* dcFor(HDC hdc);
template <class T, HBRUSH (T::*F)(CDC*, UINT)>
BOOL ctlColorCall(CWnd* w, UINT msg, WPARAM wp, LPARAM, LRESULT* r) {
    *r = 0;
    UINT kind = msg - WM_REFLECT_BASE - WM_CTLCOLORMSGBOX;
    return guarded([&] { *r = (LRESULT)(static_cast<T*>(w)->*F)(dcFor((HDC)wp), kind); });
}

} // namespace afxthunk

#define ON_MESSAGE(message, memberFxn)                                                             \
    {(UINT)(message), 0, 0, 0, &afxthunk::messageCall<ThisClass, &ThisClass::memberFxn>},
#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(id), &afxthunk::voidCall<ThisClass, &ThisClass::memberFxn>},
#define ON_BN_CLICKED(id, memberFxn)                                                               \
    {WM_COMMAND, BN_CLICKED, (UINT)(id), (UINT)(id),                                               \
     &afxthunk::voidCall<ThisClass, &ThisClass::memberFxn>},
#define ON_NOTIFY(code, id, memberFxn)                                                             \
    {WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(id),                                              \
     &afxthunk::notifyCall<ThisClass, &ThisClass::memberFxn>},
#define ON_CONTROL_REFLECT(code, memberFxn)                                                        \
    {WM_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0,                                             \
     &afxthunk::voidCall<ThisClass, &ThisClass::memberFxn>},
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                         \
    {WM_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, 0,                                              \
     &afxthunk::notifyCall<ThisClass, &ThisClass::memberFxn>},
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    {WM_REFLECT_BASE + WM_CTLCOLORSTATIC, 0, 0, 0,                                                 \
     &afxthunk::ctlColorCall<ThisClass, &ThisClass::CtlColor>},                                    \
        {WM_REFLECT_BASE + WM_CTLCOLOREDIT, 0, 0, 0,                                               \
         &afxthunk::ctlColorCall<ThisClass, &ThisClass::CtlColor>},                                \
        {WM_REFLECT_BASE + WM_CTLCOLORBTN, 0, 0, 0,                                                \
         &afxthunk::ctlColorCall<ThisClass, &ThisClass::CtlColor>},
#define ON_WM_MOUSEMOVE()                                                                          \
    {WM_MOUSEMOVE, 0, 0, 0, &afxthunk::mouseCall<ThisClass, &ThisClass::OnMouseMove>},
#define ON_WM_SIZE() {WM_SIZE, 0, 0, 0, &afxthunk::sizeCall<ThisClass, &ThisClass::OnSize>},
#define ON_WM_SETCURSOR()                                                                          \
    {WM_SETCURSOR, 0, 0, 0, &afxthunk::setCursorCall<ThisClass, &ThisClass::OnSetCursor>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, &afxthunk::voidCall<ThisClass, &ThisClass::OnPaint>},
#define ON_WM_HELPINFO() {WM_HELP, 0, 0, 0, &afxthunk::helpCall<ThisClass, &ThisClass::OnHelpInfo>},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, &afxthunk::voidCall<ThisClass, &ThisClass::OnClose>},

// --- Dialogs and data exchange ------------------------------------------

// One exchange between a dialog's controls and its fields. A failure is
// recorded, not thrown: every DDX_ call after it returns at once.
class CDataExchange {
  public:
    CDataExchange(CWnd* dlg, BOOL save) : m_bSaveAndValidate(save), m_pDlgWnd(dlg) {}
    // The control's window, remembered as the one a failure is about.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Records the failure and gives the control the focus.
    void Fail();
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    bool m_bFailed = false;
    HWND m_hWndLastControl = nullptr;
    bool m_bEditLastControl = false;
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// Integers: a text that is not one shows "Please enter an integer." and fails.
void DDX_Text(CDataExchange* dx, int id, int& value);
// The index of the checked button of the group that begins at id; -1 for none.
void DDX_Radio(CDataExchange* dx, int id, int& value);
void DDX_Check(CDataExchange* dx, int id, int& value);

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr);
    ~CDialog() override;
    // Runs its own modal loop: the owner is disabled, every message passes
    // the PreTranslateMessage chain and the dialog keys, and a WM_QUIT ends
    // the loop and is posted again with its code. -1 when the dialog could
    // not be made.
    virtual INT_PTR DoModal();
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx);
    BOOL PreTranslateMessage(MSG* msg) override;
    // FALSE when the exchange failed.
    BOOL UpdateData(BOOL save = TRUE);
    void EndDialog(int result);
    BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
    // Makes a child dialog of parent from the template (pages of a tab).
    BOOL CreateChild(UINT templateId, HWND parent);

    // The procedure every dialog of the library runs on.
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  protected:
    UINT m_nIDHelp;
    CWnd* m_pParentWnd;
    HINSTANCE m_hDialogResource;
    bool m_bModal;
    bool m_bInModalLoop = false;
    INT_PTR m_nModalResult = -1;
    HINSTANCE templateInstance(UINT templateId) const;

  private:
    BOOL createFrom(UINT templateId, HWND owner);
};

// --- Controls and drawing -----------------------------------------------

class CDC {
  public:
    CDC() = default;
    explicit CDC(HDC hdc) : m_hDC(hdc) {}
    virtual ~CDC();
    COLORREF SetTextColor(COLORREF colour) { return ::SetTextColor(m_hDC, colour); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    HDC m_hDC = nullptr;
};

class CPaintDC : public CDC {
  public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;

  private:
    HWND m_hWnd;
};

class CFont {
  public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;
    // Deletes a font it held, then makes the new one.
    BOOL CreateFontIndirect(const LOGFONTA* font);
    BOOL DeleteObject();
    operator HFONT() const { return m_hObject; }
    HFONT m_hObject = nullptr;
};

class CMenu {
  public:
    static CMenu* FromHandle(HMENU menu);
    UINT EnableMenuItem(UINT item, UINT enable) { return ::EnableMenuItem(m_hMenu, item, enable); }
    HMENU m_hMenu = nullptr;
};

class CStatic : public CWnd {};
class CButton : public CWnd {};
class CEdit : public CWnd {};
class CSpinButtonCtrl : public CWnd {};
class CTabCtrl : public CWnd {};

class CToolTipCtrl : public CWnd {
  public:
    ~CToolTipCtrl() override;
    BOOL Create(CWnd* owner, DWORD style = 0);
    BOOL AddTool(CWnd* wnd, const char* text, LPCRECT rect, UINT id);
    void UpdateTipText(const char* text, CWnd* wnd, UINT id);
    // The area of the tool over wnd, in wnd's client coordinates.
    void SetToolRect(CWnd* wnd, UINT id, LPCRECT rect);
    std::string GetText(CWnd* wnd, UINT id) const;
    void RelayEvent(MSG* msg);
};

// The common dialog for a file name; the old-style dialog when the flags
// leave out OFN_EXPLORER, from a template of its own with OFN_ENABLETEMPLATE.
// Its hook runs the derived class's OnInitDialog and message map.
class CFileDialog : public CDialog {
  public:
    CFileDialog(BOOL openFileDialog, const char* defExt = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* parent = nullptr);
    INT_PTR DoModal() override;
    // The map only: OK and Cancel belong to the common dialog.
    BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
    std::string GetPathName() const { return m_szFileName; }
    OPENFILENAMEA m_ofn;
    char m_szFileName[MAX_PATH];

  protected:
    BOOL m_bOpenFileDialog;

  private:
    static UINT_PTR CALLBACK hookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};
