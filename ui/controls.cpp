// Drawing contexts, fonts, menus, tool tips and the common file dialog.
#include <cstring>
#include <map>
#include "ui/afxwin.h"
#include "ui/uiapp.h"

CDC* afxthunk::dcFor(HDC hdc) {
    static CDC dc;
    dc.m_hDC = hdc;
    return &dc;
}

CDC::~CDC() = default;

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) {
    m_hDC = BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    EndPaint(m_hWnd, &m_ps);
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* font) {
    DeleteObject();
    m_hObject = ::CreateFontIndirectA(font);
    return m_hObject != nullptr;
}

BOOL CFont::DeleteObject() {
    if (!m_hObject) return FALSE;
    BOOL ok = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return ok;
}

CMenu* CMenu::FromHandle(HMENU menu) {
    if (!menu) return nullptr;
    static std::map<HMENU, CMenu> menus;
    CMenu& m = menus[menu];
    m.m_hMenu = menu;
    return &m;
}

CToolTipCtrl::~CToolTipCtrl() {
    if (m_hWnd && IsWindow(m_hWnd)) {
        HWND h = m_hWnd;
        detach();
        ::DestroyWindow(h);
    }
}

BOOL CToolTipCtrl::Create(CWnd* owner, DWORD style) {
    static bool initialised = false;
    if (!initialised) {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        initialised = true;
    }
    HWND h = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | style,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             owner ? owner->m_hWnd : nullptr, nullptr, GetModuleHandleA(nullptr),
                             nullptr);
    if (!h) return FALSE;
    attach(h);
    return TRUE;
}

namespace {
TOOLINFOA toolInfo(CWnd* wnd, UINT id, const char* text) {
    TOOLINFOA ti = {};
    ti.cbSize = sizeof ti;
    ti.hwnd = wnd ? wnd->m_hWnd : nullptr;
    ti.uId = id;
    ti.lpszText = const_cast<char*>(text);
    return ti;
}
} // namespace

BOOL CToolTipCtrl::AddTool(CWnd* wnd, const char* text, LPCRECT rect, UINT id) {
    TOOLINFOA ti = toolInfo(wnd, id, text);
    if (rect) ti.rect = *rect;
    return (BOOL)SendMessage(TTM_ADDTOOLA, 0, (LPARAM)&ti);
}

void CToolTipCtrl::UpdateTipText(const char* text, CWnd* wnd, UINT id) {
    TOOLINFOA ti = toolInfo(wnd, id, text);
    SendMessage(TTM_UPDATETIPTEXTA, 0, (LPARAM)&ti);
}

void CToolTipCtrl::SetToolRect(CWnd* wnd, UINT id, LPCRECT rect) {
    TOOLINFOA ti = toolInfo(wnd, id, nullptr);
    if (rect) ti.rect = *rect;
    SendMessage(TTM_NEWTOOLRECTA, 0, (LPARAM)&ti);
}

std::string CToolTipCtrl::GetText(CWnd* wnd, UINT id) const {
    char text[1024] = {};
    TOOLINFOA ti = toolInfo(wnd, id, text);
    ::SendMessageA(m_hWnd, TTM_GETTEXTA, sizeof text, (LPARAM)&ti);
    return text;
}

void CToolTipCtrl::RelayEvent(MSG* msg) {
    if (m_hWnd) SendMessage(TTM_RELAYEVENT, 0, (LPARAM)msg);
}

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : CDialog(0, parent), m_bOpenFileDialog(openFileDialog) {
    std::memset(&m_ofn, 0, sizeof m_ofn);
    std::memset(m_szFileName, 0, sizeof m_szFileName);
    if (fileName) lstrcpynA(m_szFileName, fileName, MAX_PATH);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrDefExt = defExt;
    m_ofn.lpstrFilter = filter;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLEHOOK;
}

UINT_PTR CALLBACK CFileDialog::hookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* ofn = reinterpret_cast<OPENFILENAMEA*>(lp);
        auto* self = reinterpret_cast<CFileDialog*>(ofn->lCustData);
        if (!self) return FALSE;
        self->attach(hwnd);
        return self->OnInitDialog();
    }
    CWnd* self = CWnd::FromHandlePermanent(hwnd);
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) {
        static_cast<CFileDialog*>(self)->detach();
        return FALSE;
    }
    LRESULT result = 0;
    return self->OnWndMsg(msg, wp, lp, &result) ? TRUE : FALSE;
}

BOOL CFileDialog::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

INT_PTR CFileDialog::DoModal() {
    m_ofn.Flags |= OFN_ENABLEHOOK;
    m_ofn.lpfnHook = hookProc;
    m_ofn.lCustData = (LPARAM)this;
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : ui::applicationWindow();
    m_ofn.hwndOwner = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    BOOL ok = m_bOpenFileDialog ? GetOpenFileNameA(&m_ofn) : GetSaveFileNameA(&m_ofn);
    if (m_hWnd) detach();
    return ok ? IDOK : IDCANCEL;
}
