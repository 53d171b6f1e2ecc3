// CWnd: attaching objects to windows, subclassing, message maps and the
// reflection of notifications to the controls that sent them.
#include <map>
#include "ui/afxwin.h"
#include "ui/uiapp.h"

namespace {

std::map<HWND, CWnd*>& windowMap() {
    static std::map<HWND, CWnd*> m;
    return m;
}
std::map<HWND, CWnd*>& wrapperMap() {
    static std::map<HWND, CWnd*> m;
    return m;
}

const AFX_MSGMAP_ENTRY kNoEntries[] = {{0, 0, 0, 0, nullptr}};
const AFX_MSGMAP kBaseMap = {nullptr, &kNoEntries[0]};

// The child window that a notification to its parent comes from, or null.
HWND notifyingChild(UINT msg, WPARAM, LPARAM lp) {
    if (msg == WM_COMMAND) return (HWND)lp;
    if (msg == WM_NOTIFY) return lp ? reinterpret_cast<NMHDR*>(lp)->hwndFrom : nullptr;
    if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) return (HWND)lp;
    return nullptr;
}

bool matches(const AFX_MSGMAP_ENTRY& e, UINT msg, WPARAM wp, LPARAM lp) {
    if (e.nMessage != msg) return false;
    if (msg == WM_COMMAND) {
        UINT id = LOWORD(wp);
        return e.nCode == HIWORD(wp) && id >= e.nID && id <= e.nLastID;
    }
    if (msg == WM_NOTIFY) {
        const NMHDR* h = reinterpret_cast<const NMHDR*>(lp);
        return h && e.nCode == h->code && h->idFrom >= e.nID && h->idFrom <= e.nLastID;
    }
    if (msg == WM_REFLECT_BASE + WM_COMMAND) return e.nCode == HIWORD(wp);
    if (msg == WM_REFLECT_BASE + WM_NOTIFY) {
        const NMHDR* h = reinterpret_cast<const NMHDR*>(lp);
        return h && e.nCode == h->code;
    }
    return true;
}

} // namespace

// The procedure of every subclassed window: the object's map first, then
// the window's own procedure.
LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* self = CWnd::FromHandlePermanent(hwnd);
    if (!self || !self->m_pfnSuper) return DefWindowProcA(hwnd, msg, wp, lp);
    WNDPROC super = self->m_pfnSuper;
    const CWnd::CurrentMessage saved = self->m_cur;
    self->m_cur = {msg, wp, lp};
    LRESULT result = 0;
    if (msg == WM_NCDESTROY) {
        result = CallWindowProcA(super, hwnd, msg, wp, lp);
        self->UnsubclassWindow();
        self->PostNcDestroy();
        return result;
    }
    if (!self->OnWndMsg(msg, wp, lp, &result)) result = CallWindowProcA(super, hwnd, msg, wp, lp);
    if (CWnd::FromHandlePermanent(hwnd) == self) self->m_cur = saved;
    return result;
}

CWnd::CWnd() : m_hWnd(nullptr) {}

CWnd::~CWnd() {
    if (m_hWnd) {
        if (m_pfnSuper && IsWindow(m_hWnd))
            SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
        windowMap().erase(m_hWnd);
    }
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    return &kBaseMap;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

void CWnd::attach(HWND hwnd) {
    m_hWnd = hwnd;
    windowMap()[hwnd] = this;
}

void CWnd::detach() {
    if (m_hWnd) windowMap().erase(m_hWnd);
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    auto it = windowMap().find(hwnd);
    return it == windowMap().end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    if (CWnd* w = FromHandlePermanent(hwnd)) return w;
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

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd)) return FALSE;
    attach(hwnd);
    PreSubclassWindow();
    m_pfnSuper = (WNDPROC)SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)AfxWndProc);
    if (!m_pfnSuper) {
        detach();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    HWND control = parent ? ::GetDlgItem(parent->m_hWnd, (int)id) : nullptr;
    return control ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    HWND h = m_hWnd;
    if (h && m_pfnSuper) SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    m_pfnSuper = nullptr;
    detach();
    return h;
}

void CWnd::PreSubclassWindow() {}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::Default() {
    if (m_pfnSuper) return CallWindowProcA(m_pfnSuper, m_hWnd, m_cur.msg, m_cur.wp, m_cur.lp);
    m_defaultWanted = true; // a dialog: the dialog manager's default follows
    return 0;
}

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    // Notifications go to the control that sent them first.
    HWND child = notifyingChild(msg, wp, lp);
    if (child && child != m_hWnd) {
        if (CWnd* control = FromHandlePermanent(child)) {
            const HWND self = m_hWnd;
            if (control->OnChildNotify(msg, wp, lp, result)) return TRUE;
            if (FromHandlePermanent(self) != this) return TRUE; // gone meanwhile
        }
    }
    return walkMessageMap(msg, wp, lp, result);
}

BOOL CWnd::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    return walkMessageMap(WM_REFLECT_BASE + msg, wp, lp, result);
}

BOOL CWnd::walkMessageMap(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->thunk; ++e)
            if (matches(*e, msg, wp, lp)) return e->thunk(this, msg, wp, lp, result);
    }
    return FALSE;
}

BOOL CWnd::ShowWindow(int cmd) {
    return ::ShowWindow(m_hWnd, cmd);
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
    HWND owner = alternateOwner ? alternateOwner->m_hWnd : GetWindow(m_hWnd, GW_OWNER);
    RECT area, self;
    if (owner && IsWindowVisible(owner))
        ::GetWindowRect(owner, &area);
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(m_hWnd, &self);
    int w = self.right - self.left, h = self.bottom - self.top;
    ::SetWindowPos(m_hWnd, nullptr, area.left + (area.right - area.left - w) / 2,
                   area.top + (area.bottom - area.top - h) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CWnd* CWnd::GetDlgItem(int id) const {
    return FromHandle(::GetDlgItem(m_hWnd, id));
}
CWnd* CWnd::GetParent() const {
    return FromHandle(::GetParent(m_hWnd));
}
BOOL CWnd::EnableWindow(BOOL enable) {
    return ::EnableWindow(m_hWnd, enable);
}
void CWnd::SetWindowText(const char* text) {
    ::SetWindowTextA(m_hWnd, text);
}
std::string CWnd::GetWindowText() const {
    int n = GetWindowTextLengthA(m_hWnd);
    std::string text((size_t)(n > 0 ? n : 0) + 1, '\0');
    int got = ::GetWindowTextA(m_hWnd, &text[0], (int)text.size());
    text.resize(got > 0 ? (size_t)got : 0);
    return text;
}
void CWnd::SetDlgItemText(int id, const char* text) {
    ::SetDlgItemTextA(m_hWnd, id, text);
}
std::string CWnd::GetDlgItemText(int id) const {
    HWND control = ::GetDlgItem(m_hWnd, id);
    if (!control) return std::string();
    return FromHandle(control)->GetWindowText();
}
LRESULT CWnd::SendMessage(UINT msg, WPARAM wp, LPARAM lp) {
    return ::SendMessageA(m_hWnd, msg, wp, lp);
}
DWORD CWnd::GetStyle() const {
    return (DWORD)GetWindowLongA(m_hWnd, GWL_STYLE);
}
DWORD CWnd::GetExStyle() const {
    return (DWORD)GetWindowLongA(m_hWnd, GWL_EXSTYLE);
}

namespace {
BOOL modifyLong(HWND hwnd, int which, DWORD remove, DWORD add, UINT flags) {
    DWORD style = (DWORD)GetWindowLongA(hwnd, which);
    DWORD changed = (style & ~remove) | add;
    if (style == changed) return FALSE;
    SetWindowLongA(hwnd, which, (LONG)changed);
    if (flags)
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}
} // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
    return modifyLong(m_hWnd, GWL_STYLE, remove, add, flags);
}
BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) {
    return modifyLong(m_hWnd, GWL_EXSTYLE, remove, add, flags);
}
void CWnd::GetClientRect(LPRECT rect) const {
    ::GetClientRect(m_hWnd, rect);
}
void CWnd::GetWindowRect(LPRECT rect) const {
    ::GetWindowRect(m_hWnd, rect);
}
void CWnd::ScreenToClient(LPRECT rect) const {
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}
void CWnd::Invalidate(BOOL erase) {
    InvalidateRect(m_hWnd, nullptr, erase);
}
BOOL CWnd::SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, after ? after->m_hWnd : nullptr, x, y, cx, cy, flags);
}
int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
    return ::MessageBoxA(m_hWnd, text, caption ? caption : ui::applicationName(), type);
}
int CWnd::GetDlgCtrlID() const {
    return ::GetDlgCtrlID(m_hWnd);
}

void CWnd::OnMouseMove(UINT, CPoint) {
    Default();
}
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return (BOOL)Default();
}
void CWnd::OnPaint() {
    Default();
}
BOOL CWnd::OnHelpInfo(HELPINFO*) {
    return (BOOL)Default();
}
void CWnd::OnClose() {
    Default();
}
