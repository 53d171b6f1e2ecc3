// The plain and tabbed dialog classes, shaped as the host's.
#include "ui/acui.h"
// The application's main window and product key: the host's, for now.
#include "ui/uiapp.h"

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

BEGIN_MESSAGE_MAP(CAdUiTab, CTabCtrl)
ON_NOTIFY_REFLECT(TCN_SELCHANGE, onSelChange)
END_MESSAGE_MAP()

CAdUiTab::CAdUiTab() = default;
CAdUiTab::~CAdUiTab() = default;

BOOL CAdUiTab::AddTab(int index, const char* title, UINT templateId, CAdUiTabChildDialog* page) {
    if (!m_hWnd || !page) return FALSE;
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(title);
    int at = (int)SendMessage(TCM_INSERTITEMA, (WPARAM)index, (LPARAM)&item);
    if (at < 0) return FALSE;
    if ((size_t)at > pages_.size()) at = (int)pages_.size();
    pages_.insert(pages_.begin() + at, page);
    HWND parent = ::GetParent(m_hWnd);
    page->m_pMainDialog = CWnd::FromHandle(parent);
    if (!page->CreateChild(templateId, parent)) return FALSE;
    // The page sits in the tab's display area, over the tab control.
    RECT area;
    ::GetWindowRect(m_hWnd, &area);
    SendMessage(TCM_ADJUSTRECT, FALSE, (LPARAM)&area);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    ::SetWindowPos(page->m_hWnd, HWND_TOP, area.left, area.top, area.right - area.left,
                   area.bottom - area.top, SWP_NOACTIVATE);
    showPage(GetActiveTab());
    return TRUE;
}

int CAdUiTab::GetActiveTab() const {
    return m_hWnd ? (int)::SendMessageA(m_hWnd, TCM_GETCURSEL, 0, 0) : -1;
}

CAdUiTabChildDialog* CAdUiTab::GetDialogPointer(int index) const {
    return index >= 0 && (size_t)index < pages_.size() ? pages_[(size_t)index] : nullptr;
}

void CAdUiTab::SetActiveTab(int index) {
    SendMessage(TCM_SETCURSEL, (WPARAM)index, 0);
    showPage(index);
}

void CAdUiTab::showPage(int index) {
    for (size_t i = 0; i < pages_.size(); ++i)
        if (HWND page = pages_[i]->m_hWnd) ::ShowWindow(page, (int)i == index ? SW_SHOW : SW_HIDE);
}

void CAdUiTab::onSelChange(NMHDR*, LRESULT* result) {
    showPage(GetActiveTab());
    *result = 0;
}

CAdUiTabMainDialog::CAdUiTabMainDialog(UINT templateId, CWnd* parent, HINSTANCE dialogResource)
    : CAdUiBaseDialog(templateId, parent, dialogResource) {}
CAdUiTabMainDialog::~CAdUiTabMainDialog() = default;

CAcUiTabMainDialog::CAcUiTabMainDialog(UINT templateId, CWnd* parent, HINSTANCE dialogResource)
    : CAdUiTabMainDialog(templateId, parent, dialogResource) {}
CAcUiTabMainDialog::~CAcUiTabMainDialog() = default;
void CAcUiTabMainDialog::OnOK() {
    EndDialog(IDOK);
}
void CAcUiTabMainDialog::OnCancel() {
    EndDialog(IDCANCEL);
}
HWND CAcUiTabMainDialog::AppMainWindow() {
    return ui::applicationWindow();
}
HINSTANCE CAcUiTabMainDialog::AppResourceInstance() {
    return m_hDialogResource ? m_hDialogResource : ui::currentResources();
}
const char* CAcUiTabMainDialog::AppRootKey() {
    return ui::applicationRootKey();
}
void CAcUiTabMainDialog::OnDialogHelp() {}
void CAcUiTabMainDialog::AddApplicationTabs() {}

CAdUiTabChildDialog::CAdUiTabChildDialog(CWnd* parent, HINSTANCE dialogResource)
    : CAdUiBaseDialog(0, parent, dialogResource) {}
CAdUiTabChildDialog::~CAdUiTabChildDialog() = default;
BOOL CAdUiTabChildDialog::ExchangeData(BOOL) {
    return TRUE;
}

CAcUiTabChildDialog::CAcUiTabChildDialog(CWnd* parent, HINSTANCE dialogResource)
    : CAdUiTabChildDialog(parent, dialogResource) {}
CAcUiTabChildDialog::~CAcUiTabChildDialog() = default;
