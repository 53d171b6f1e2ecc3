// CDialog: the dialog procedure, the modal loop of its own, and data exchange.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include "ui/afxwin.h"
#include "ui/uiapp.h"

namespace {

// The dialog being made: it receives the messages that come before
// WM_INITDIALOG (WM_SETFONT and the like).
CDialog* pendingDialog = nullptr;

// Messages whose result is the dialog procedure's return value itself.
bool returnsValue(UINT msg) {
    switch (msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

// The PreTranslateMessage chain from the message's window up to stop.
bool walkPreTranslate(HWND stop, MSG* msg) {
    for (HWND h = msg->hwnd; h; h = GetParent(h)) {
        if (CWnd* w = CWnd::FromHandlePermanent(h))
            if (w->PreTranslateMessage(msg)) return true;
        if (h == stop) break;
    }
    return false;
}

bool isRadio(HWND h) {
    char cls[16] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") != 0) return false;
    LONG type = GetWindowLongA(h, GWL_STYLE) & 0x0F;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// A whole integer, with blanks around it allowed.
bool parseInt(const std::string& text, int& value) {
    const char* s = text.c_str();
    char* end = nullptr;
    errno = 0;
    long n = std::strtol(s, &end, 10);
    if (end == s || errno == ERANGE || n < INT_MIN || n > INT_MAX) return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end) return false;
    value = (int)n;
    return true;
}

} // namespace

HWND CDataExchange::PrepareCtrl(int id) {
    HWND h = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, id) : nullptr;
    m_hWndLastControl = h;
    m_bEditLastControl = false;
    return h;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
    HWND h = PrepareCtrl(id);
    m_bEditLastControl = true;
    return h;
}

void CDataExchange::Fail() {
    m_bFailed = true;
    if (!m_bSaveAndValidate || !m_hWndLastControl) return;
    SetFocus(m_hWndLastControl);
    if (m_bEditLastControl) SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (dx->m_bFailed || control.m_hWnd) return;
    HWND h = dx->PrepareCtrl(id);
    if (!h || !control.SubclassWindow(h)) dx->Fail();
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    if (dx->m_bFailed) return;
    HWND h = dx->PrepareEditCtrl(id);
    if (!h) return dx->Fail();
    if (!dx->m_bSaveAndValidate) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", value);
        SetWindowTextA(h, text);
        return;
    }
    std::string text = CWnd::FromHandle(h)->GetWindowText();
    if (!parseInt(text, value)) {
        AfxMessageBox("Please enter an integer.");
        dx->Fail();
    }
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    if (dx->m_bFailed) return;
    HWND first = dx->PrepareCtrl(id);
    if (!first) return dx->Fail();
    if (dx->m_bSaveAndValidate) value = -1;
    int index = 0;
    for (HWND h = first; h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h != first && (GetWindowLongA(h, GWL_STYLE) & WS_GROUP)) break;
        if (!isRadio(h)) continue;
        if (dx->m_bSaveAndValidate) {
            if (SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            SendMessageA(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    if (dx->m_bFailed) return;
    HWND h = dx->PrepareCtrl(id);
    if (!h) return dx->Fail();
    if (dx->m_bSaveAndValidate)
        value = (int)SendMessageA(h, BM_GETCHECK, 0, 0);
    else
        SendMessageA(h, BM_SETCHECK, (WPARAM)value, 0);
}

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDHelp(templateId), m_pParentWnd(parent), m_hDialogResource(nullptr), m_bModal(false) {}

CDialog::~CDialog() {
    if (m_hWnd && IsWindow(m_hWnd)) {
        HWND h = m_hWnd;
        detach();
        SetWindowLongPtrA(h, DWLP_USER, 0);
        ::DestroyWindow(h);
    }
}

HINSTANCE CDialog::templateInstance(UINT templateId) const {
    if (m_hDialogResource) return m_hDialogResource;
    return ui::findResource(MAKEINTRESOURCEA(templateId), (LPCSTR)RT_DIALOG);
}

BOOL CDialog::createFrom(UINT templateId, HWND owner) {
    CDialog* outer = pendingDialog;
    pendingDialog = this;
    HWND h = CreateDialogParamA(templateInstance(templateId), MAKEINTRESOURCEA(templateId), owner,
                                dialogProc, (LPARAM)this);
    pendingDialog = outer;
    return h != nullptr;
}

INT_PTR CDialog::DoModal() {
    m_bModal = true;
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : ui::applicationWindow();
    if (owner) owner = GetAncestor(owner, GA_ROOT);
    if (!createFrom(m_nIDHelp, owner) || !m_hWnd) return -1;
    const HWND self = m_hWnd;
    const bool reenable = owner && IsWindowEnabled(owner);
    if (reenable) ::EnableWindow(owner, FALSE);
    if (!IsWindowVisible(self)) ::ShowWindow(self, SW_SHOW);
    m_nModalResult = -1;
    m_bInModalLoop = true;
    while (m_bInModalLoop && IsWindow(self)) {
        MSG msg;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // The quit belongs to the loop outside: it ends this one and is
            // posted again with its own code.
            PostQuitMessage((int)msg.wParam);
            if (m_nModalResult == -1) m_nModalResult = IDCANCEL;
            break;
        }
        if (walkPreTranslate(self, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    m_bInModalLoop = false;
    // The owner comes back before the dialog goes, so it gets the activation.
    if (reenable) ::EnableWindow(owner, TRUE);
    if (IsWindow(self)) {
        ::SetWindowPos(self, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (owner) SetActiveWindow(owner);
        ::DestroyWindow(self);
    }
    return m_nModalResult;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_bModal = false;
    m_nIDHelp = templateId;
    if (parent) m_pParentWnd = parent;
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : ui::applicationWindow();
    return createFrom(templateId, owner);
}

BOOL CDialog::CreateChild(UINT templateId, HWND parent) {
    m_bModal = false;
    m_nIDHelp = templateId;
    return createFrom(templateId, parent);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}
void CDialog::OnOK() {
    if (UpdateData(TRUE)) EndDialog(IDOK);
}
void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}
void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    // Dialog keys for a top-level dialog; a child dialog's keys are its
    // parent's to handle.
    if (!m_hWnd || (GetStyle() & WS_CHILD)) return FALSE;
    return IsDialogMessageA(m_hWnd, msg);
}

BOOL CDialog::UpdateData(BOOL save) {
    CDataExchange dx(this, save);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

void CDialog::EndDialog(int result) {
    if (!m_hWnd) return;
    if (m_bModal) {
        m_nModalResult = result;
        m_bInModalLoop = false;
        ::ShowWindow(m_hWnd, SW_HIDE);
        PostMessageA(m_hWnd, WM_NULL, 0, 0); // wakes the loop
    } else {
        ::ShowWindow(m_hWnd, SW_HIDE); // a modeless dialog is only hidden
    }
}

BOOL CDialog::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    const HWND self = m_hWnd;
    if (CWnd::OnWndMsg(msg, wp, lp, result)) return TRUE;
    if (FromHandlePermanent(self) != this) return TRUE;
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        if (LOWORD(wp) == IDOK) {
            OnOK();
            *result = 0;
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            OnCancel();
            *result = 0;
            return TRUE;
        }
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CDialog* self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) {
        // The first message of a dialog being made, WM_INITDIALOG or earlier.
        self = msg == WM_INITDIALOG ? reinterpret_cast<CDialog*>(lp) : pendingDialog;
        if (!self) return FALSE;
        if (self == pendingDialog) pendingDialog = nullptr;
        SetWindowLongPtrA(hwnd, DWLP_USER, (LONG_PTR)self);
        self->attach(hwnd);
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->detach();
        self->PostNcDestroy();
        return FALSE;
    }
    if (msg == WM_INITDIALOG) return self->OnInitDialog();
    const CurrentMessage saved = self->m_cur;
    self->m_cur = {msg, wp, lp};
    self->m_defaultWanted = false;
    LRESULT result = 0;
    BOOL handled = self->OnWndMsg(msg, wp, lp, &result);
    // A handler may have destroyed the window and with it the object.
    if (FromHandlePermanent(hwnd) != self) return TRUE;
    const bool wantsDefault = self->m_defaultWanted;
    self->m_cur = saved;
    if (!handled || wantsDefault) return FALSE;
    if (returnsValue(msg)) return (INT_PTR)result;
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
