// MFC-shaped services: resource handles and chain, extension modules, the
// application's message pump, and window and dialog wrappers.
#include <map>
#include "acui.h"
#include "internal.h"

namespace {

AFX_MODULE_STATE moduleState{};
CDynLinkLibrary* chainHead = nullptr;
std::map<HWND, CWnd*>& windowMap() {
    static std::map<HWND, CWnd*> m;
    return m;
}
std::map<HWND, CWnd*>& wrapperMap() {
    static std::map<HWND, CWnd*> m;
    return m;
}

bool hasResource(HINSTANCE h, LPCSTR name, LPCSTR type) {
    return h && FindResourceA(h, name, type) != nullptr;
}

// Dialog keys (Tab, Enter, Esc) go to the modeless dialog that owns the window.
bool dialogMessage(MSG& msg) {
    if (!msg.hwnd) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    char cls[16] = {};
    if (!root || !GetClassNameA(root, cls, sizeof cls) || lstrcmpA(cls, "#32770") != 0)
        return false;
    return IsDialogMessageA(root, &msg) != FALSE;
}

class DefaultApp : public CWinApp {};

} // namespace

AFX_MODULE_STATE* AfxGetModuleState() {
    return &moduleState;
}

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
    if (!module) return FALSE;
    state.hModule = module;
    state.hResource = module;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL) {
    for (CDynLinkLibrary* p = chainHead; p;) {
        CDynLinkLibrary* next = p->m_pNextDLL;
        if (p->m_hModule == state.hModule) delete p;
        p = next;
    }
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(system),
      m_pNextDLL(chainHead) {
    chainHead = this;
}

CDynLinkLibrary::~CDynLinkLibrary() {
    for (CDynLinkLibrary** p = &chainHead; *p; p = &(*p)->m_pNextDLL)
        if (*p == this) {
            *p = m_pNextDLL;
            break;
        }
}

HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type) {
    HINSTANCE current = moduleState.m_hCurrentResourceHandle;
    if (hasResource(current, name, type)) return current;
    for (CDynLinkLibrary* p = chainHead; p; p = p->m_pNextDLL)
        if (hasResource(p->m_hResource, name, type)) return p->m_hResource;
    return current;
}

CWinApp::~CWinApp() = default;

MSG* AfxGetCurrentMessage() {
    static MSG current = {};
    return &current;
}

BOOL CWinApp::PumpMessage() {
    MSG& msg = *AfxGetCurrentMessage();
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) return FALSE;
    if (!dialogMessage(msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return TRUE;
}

CWinApp* AfxGetApp() {
    static DefaultApp app;
    return &app;
}

CWnd::CWnd() : m_hWnd(nullptr) {}
CWnd::~CWnd() {
    if (m_hWnd) windowMap().erase(m_hWnd);
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto it = windowMap().find(hwnd);
    if (it != windowMap().end()) return it->second;
    auto& wrappers = wrapperMap();
    // Drop wrappers of windows that no longer exist.
    for (auto w = wrappers.begin(); w != wrappers.end();) {
        if (!IsWindow(w->first)) {
            delete w->second;
            w = wrappers.erase(w);
        } else {
            ++w;
        }
    }
    CWnd*& slot = wrappers[hwnd];
    if (!slot) {
        slot = new CWnd;
        slot->m_hWnd = hwnd;
    }
    return slot;
}

BOOL CWnd::ShowWindow(int cmd) {
    return ::ShowWindow(m_hWnd, cmd);
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
    HWND owner = alternateOwner ? alternateOwner->m_hWnd : GetWindow(m_hWnd, GW_OWNER);
    RECT area, self;
    if (owner && IsWindowVisible(owner))
        GetWindowRect(owner, &area);
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(m_hWnd, &self);
    int w = self.right - self.left, h = self.bottom - self.top;
    SetWindowPos(m_hWnd, nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CWnd* CWnd::GetDlgItem(int id) const {
    return FromHandle(::GetDlgItem(m_hWnd, id));
}
BOOL CWnd::EnableWindow(BOOL enable) {
    return ::EnableWindow(m_hWnd, enable);
}
void CWnd::SetWindowText(const char* text) {
    ::SetWindowTextA(m_hWnd, text);
}
BOOL CWnd::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}
BOOL CWnd::OnWndMsg(UINT, WPARAM, LPARAM, LRESULT*) {
    return FALSE;
}
void CWnd::PostNcDestroy() {}

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDHelp(templateId), m_pParentWnd(parent), m_hDialogResource(nullptr), m_bModal(false) {}
CDialog::~CDialog() {
    if (m_hWnd && IsWindow(m_hWnd)) {
        HWND h = m_hWnd;
        windowMap().erase(h);
        SetWindowLongPtrA(h, DWLP_USER, 0);
        m_hWnd = nullptr;
        ::DestroyWindow(h);
    }
}

HINSTANCE CDialog::templateInstance(UINT templateId) const {
    if (m_hDialogResource) return m_hDialogResource;
    return AfxFindResourceHandle(MAKEINTRESOURCEA(templateId), (LPCSTR)RT_DIALOG);
}

INT_PTR CDialog::DoModal() {
    m_bModal = true;
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : adsw_acadMainWnd();
    INT_PTR r = DialogBoxParamA(templateInstance(m_nIDHelp), MAKEINTRESOURCEA(m_nIDHelp), parent,
                                dialogProc, (LPARAM)this);
    return r;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_bModal = false;
    m_nIDHelp = templateId;
    if (parent) m_pParentWnd = parent;
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : adsw_acadMainWnd();
    HWND h = CreateDialogParamA(templateInstance(templateId), MAKEINTRESOURCEA(templateId), owner,
                                dialogProc, (LPARAM)this);
    return h != nullptr;
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

BOOL CDialog::UpdateData(BOOL save) {
    CDataExchange dx(this, save);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::EndDialog(int result) {
    if (!m_hWnd) return;
    if (m_bModal)
        ::EndDialog(m_hWnd, result);
    else
        ::ShowWindow(m_hWnd, SW_HIDE); // a modeless dialog is only hidden
}

BOOL CDialog::OnWndMsg(UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
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
    CDialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lp);
        SetWindowLongPtrA(hwnd, DWLP_USER, (LONG_PTR)self);
        self->m_hWnd = hwnd;
        windowMap()[hwnd] = self;
        return self->OnInitDialog();
    }
    self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        windowMap().erase(hwnd);
        self->m_hWnd = nullptr;
        self->PostNcDestroy();
        return FALSE;
    }
    LRESULT result = 0;
    if (!self->OnWndMsg(msg, wp, lp, &result)) return FALSE;
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

CAdUiBaseDialog::CAdUiBaseDialog(UINT templateId, CWnd* parent, HINSTANCE dialogResource)
    : CDialog(templateId, parent) {
    m_hDialogResource = dialogResource;
}
CAdUiBaseDialog::~CAdUiBaseDialog() = default;
BOOL CAdUiBaseDialog::OnInitDialog() {
    return CDialog::OnInitDialog();
}
void CAdUiBaseDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
}
void CAdUiBaseDialog::PostNcDestroy() {
    CDialog::PostNcDestroy();
}

CAcUiDialog::CAcUiDialog(UINT templateId, CWnd* parent, HINSTANCE dialogResource)
    : CAdUiBaseDialog(templateId, parent, dialogResource) {}
CAcUiDialog::~CAcUiDialog() = default;
