#include "options/hyperlinkctrl.h"
#include <shellapi.h>
#include "common/registry.h"
#include "common/shield.h"
#include "common/textformat.h"

BEGIN_MESSAGE_MAP(HyperLinkCtrl, CStatic)
ON_CONTROL_REFLECT(STN_CLICKED, onClicked)
ON_WM_CTLCOLOR_REFLECT()
ON_WM_SETCURSOR()
ON_WM_MOUSEMOVE()
ON_WM_SIZE()
END_MESSAGE_MAP()

HyperLinkCtrl::HyperLinkCtrl()
    : colourNormal(RGB(0, 0, 238)), colourVisited(RGB(85, 26, 139)),
      colourHover(GetSysColor(COLOR_HIGHLIGHT)) {}

HyperLinkCtrl::~HyperLinkCtrl() = default;

void HyperLinkCtrl::PreSubclassWindow() {
    shielded([&] {
        SetWindowLongA(m_hWnd, GWL_STYLE, (LONG)(GetStyle() | SS_NOTIFY));
        std::string text = GetWindowText();
        if (target.empty()) target = text;
        if (text.empty()) SetWindowText(target.c_str());
        LOGFONTA lf = {};
        HFONT current = (HFONT)SendMessage(WM_GETFONT);
        GetObjectA(current ? (HGDIOBJ)current : GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        lf.lfUnderline = (BYTE)(underlined ? 1 : 0);
        if (underlineFont.CreateFontIndirect(&lf))
            SendMessage(WM_SETFONT, (WPARAM)(HFONT)underlineFont, TRUE);
        fitToText();
        loadHandCursor();
        if (tip.Create(this, 0)) {
            CRect r;
            GetClientRect(r);
            tip.AddTool(this, target.c_str(), r, 1);
        }
    });
    CStatic::PreSubclassWindow();
}

BOOL HyperLinkCtrl::PreTranslateMessage(MSG* msg) {
    tip.RelayEvent(msg);
    return CStatic::PreTranslateMessage(msg);
}

void HyperLinkCtrl::fitToolArea() {
    if (!tip.m_hWnd) return;
    CRect r;
    GetClientRect(r);
    tip.SetToolRect(this, 1, r);
}

void HyperLinkCtrl::OnSize(UINT, int, int) {
    Default();
    fitToolArea();
}

void HyperLinkCtrl::redrawNow() {
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void HyperLinkCtrl::OnMouseMove(UINT, CPoint point) {
    Default();
    if (hovering) {
        CRect r;
        GetClientRect(r);
        if (!PtInRect(r, point)) {
            hovering = FALSE;
            ReleaseCapture();
            redrawNow();
        }
        return;
    }
    hovering = TRUE;
    redrawNow();
    SetCapture(m_hWnd); // to see the move that leaves the control
}

HBRUSH HyperLinkCtrl::CtlColor(CDC* dc, UINT) {
    dc->SetTextColor(hovering ? colourHover : wasOpened ? colourVisited : colourNormal);
    dc->SetBkMode(TRANSPARENT);
    return (HBRUSH)GetStockObject(NULL_BRUSH);
}

BOOL HyperLinkCtrl::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
    if (handCursor) {
        SetCursor(handCursor.get());
        return TRUE;
    }
    return CStatic::OnSetCursor(wnd, hitTest, message);
}

void HyperLinkCtrl::onClicked() {
    INT_PTR result = openTarget(target, SW_SHOW);
    wasOpened = result > 32;
    if (wasOpened) {
        setOpened(TRUE);
        return;
    }
    Invalidate(TRUE); // back to the normal colour
    MessageBeep(MB_ICONEXCLAMATION);
    showOpenError(result);
}

void HyperLinkCtrl::setTarget(const std::string& text) {
    target = text;
    if (!m_hWnd) return;
    fitToText();
    tip.UpdateTipText(text.c_str(), this, 1);
}

void HyperLinkCtrl::setOpened(BOOL opened) {
    wasOpened = opened;
    if (m_hWnd) Invalidate(TRUE);
}

void HyperLinkCtrl::fitToText() {
    if (!m_hWnd || !autoFit) return;
    CRect r;
    GetWindowRect(r);
    HWND parent = ::GetParent(m_hWnd);
    if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    std::string text = GetWindowText();
    SIZE extent = {};
    HDC dc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(dc, (HFONT)underlineFont);
    GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &extent);
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
    const DWORD style = GetStyle();
    if (style & SS_CENTERIMAGE)
        InflateRect(r, 0, -((r.Height() - extent.cy) / 2));
    else
        r.bottom = r.top + extent.cy;
    if (style & SS_CENTER)
        InflateRect(r, -((r.Width() - extent.cx) / 2), 0);
    else if (style & SS_RIGHT)
        r.left = r.right - extent.cx;
    else
        r.right = r.left + extent.cx;
    SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER);
}

void HyperLinkCtrl::loadHandCursor() {
    if (handCursor) return;
    char dir[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        LibraryHandle help(LoadLibraryA((std::string(dir) + "\\winhlp32.exe").c_str()));
        if (help)
            if (HCURSOR hand = LoadCursorA(help.get(), MAKEINTRESOURCEA(106)))
                handCursor.reset((HCURSOR)CopyIcon(hand));
    }
    // The help program's hand is not there on later systems or under Wine:
    // the system's own hand then, else the default cursor.
    if (!handCursor)
        if (HCURSOR hand = LoadCursorA(nullptr, (LPCSTR)IDC_HAND))
            handCursor.reset((HCURSOR)CopyIcon(hand));
}

LONG HyperLinkCtrl::readClassesDefault(HKEY root, const std::string& key, std::string& out) {
    RegKey k;
    LONG status = registry::openKey(root, key, KEY_QUERY_VALUE, k);
    if (status != ERROR_SUCCESS) return status;
    if (registry::readString(k.get(), nullptr, out) != ERROR_SUCCESS) return ERROR_BADKEY;
    return ERROR_SUCCESS;
}

INT_PTR HyperLinkCtrl::openTarget(const std::string& target, int show) {
    INT_PTR shell = (INT_PTR)ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, show);
    if (shell > 32) return shell;
    std::string value;
    if (readClassesDefault(HKEY_CLASSES_ROOT, ".htm", value) != ERROR_SUCCESS) return shell;
    std::string command;
    if (readClassesDefault(HKEY_CLASSES_ROOT, value + "\\shell\\open\\command", command) !=
        ERROR_SUCCESS)
        return shell;
    size_t at = command.find("\"%1\"");
    if (at == std::string::npos) at = command.find("%1");
    if (at != std::string::npos) command.resize(at);
    command += " " + target;
    return (INT_PTR)WinExec(command.c_str(), (UINT)show);
}

std::string HyperLinkCtrl::openErrorText(INT_PTR code) {
    const char* text;
    switch (code) {
    case 0:
        text = "The operating system is out\nof memory or resources.";
        break;
    case SE_ERR_FNF:
        text = "The specified file was not found.";
        break;
    case SE_ERR_PNF:
        text = "The specified path was not found.";
        break;
    case SE_ERR_ACCESSDENIED:
        text = "The operating system denied\naccess to the specified file.";
        break;
    case SE_ERR_OOM:
        text = "There was not enough memory to complete the operation.";
        break;
    case ERROR_BAD_FORMAT:
        text = "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        break;
    case SE_ERR_SHARE:
        text = "A sharing violation occurred. ";
        break;
    case SE_ERR_ASSOCINCOMPLETE:
        text = "The filename association is\nincomplete or invalid.";
        break;
    case SE_ERR_DDETIMEOUT:
        text = "The DDE transaction could not\nbe completed because the request timed out.";
        break;
    case SE_ERR_DDEFAIL:
        text = "The DDE transaction failed.";
        break;
    case SE_ERR_DDEBUSY:
        text = "The DDE transaction could not\nbe completed because other DDE transactions\n"
               "were being processed.";
        break;
    case SE_ERR_NOASSOC:
        text = "There is no application associated\nwith the given filename extension.";
        break;
    case SE_ERR_DLLNOTFOUND:
        text = "The specified dynamic-link library was not found.";
        break;
    default:
        return "Unable to open hyperlink:\n\n" +
               formatText("Unknown Error (%d) occurred.", (int)code);
    }
    return std::string("Unable to open hyperlink:\n\n") + text;
}

void HyperLinkCtrl::showOpenError(INT_PTR code) {
    AfxMessageBox(openErrorText(code).c_str(), MB_ICONEXCLAMATION);
}
