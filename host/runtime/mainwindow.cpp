// The host's main window: open drawings, command line and history.
#include <cstdarg>
#include <cstdio>
#include <deque>
#include "internal.h"

namespace cadhost {

namespace {

const int kDrawingList = 100;
const int kHistory = 101;
const int kCommandLine = 102;

HWND mainWnd = nullptr;
WNDPROC editProc = nullptr;
bool cancelFlag = false;
std::deque<std::string> printed;
std::string lastLine;

LRESULT CALLBACK commandLineProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_KEYDOWN && wp == VK_RETURN) {
        char text[1024] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        SetWindowTextA(hwnd, "");
        executeLine(text);
        return 0;
    }
    if (msg == WM_KEYDOWN && wp == VK_ESCAPE) {
        requestCancel();
        return 0;
    }
    if (msg == WM_CHAR && (wp == '\r' || wp == 27)) return 0;
    return CallWindowProcA(editProc, hwnd, msg, wp, lp);
}

void layout(HWND hwnd) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    int w = rc.right, h = rc.bottom;
    MoveWindow(GetDlgItem(hwnd, kDrawingList), 0, 0, w, h / 3, TRUE);
    MoveWindow(GetDlgItem(hwnd, kHistory), 0, h / 3, w, h - h / 3 - 24, TRUE);
    MoveWindow(GetDlgItem(hwnd, kCommandLine), 0, h - 24, w, 24, TRUE);
}

// The window goes and the message loop ends; the drawings are closed and the
// modules unloaded only after that loop (runHost), never while a module's
// code, which may have sent this WM_CLOSE, is still on the stack.
void shutDown(HWND hwnd) {
    transcript("main window closed");
    editor().notify("beginQuit", nullptr, [](AcEditorReactor* r) { r->beginQuit(); });
    editor().notify("quitWillStart", nullptr, [](AcEditorReactor* r) { r->quitWillStart(); });
    DestroyWindow(hwnd);
}

LRESULT CALLBACK mainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        HINSTANCE inst = GetModuleHandleA(nullptr);
        // The open drawings as a plain list: no scroll bar to recompute and
        // redraw at each change, so a change costs the same however many
        // drawings are open, as a real host's window work does.
        CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                        WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0, hwnd,
                        (HMENU)(INT_PTR)kDrawingList, inst, nullptr);
        CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0, hwnd,
                        (HMENU)(INT_PTR)kHistory, inst, nullptr);
        HWND edit =
            CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0,
                            0, 0, 0, hwnd, (HMENU)(INT_PTR)kCommandLine, inst, nullptr);
        editProc = (WNDPROC)SetWindowLongPtrA(edit, GWLP_WNDPROC, (LONG_PTR)commandLineProc);
        return 0;
    }
    case WM_SIZE:
        layout(hwnd);
        return 0;
    case WM_SETFOCUS:
        SetFocus(GetDlgItem(hwnd, kCommandLine));
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE) requestCancel();
        return 0;
    case kExecuteStrings:
        runPendingStrings();
        return 0;
    case WM_CLOSE:
        shutDown(hwnd);
        return 0;
    case WM_DESTROY:
        mainWnd = nullptr;
        AfxGetApp()->m_hWndMain = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

} // namespace

HWND createMainWindow(bool visible) {
    if (mainWnd) return mainWnd;
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = mainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        wc.lpszClassName = "CadHostFrame";
        registered = RegisterClassA(&wc) != 0;
    }
    mainWnd = CreateWindowExA(0, "CadHostFrame", "CAD Host", WS_OVERLAPPEDWINDOW, 40, 40, 900, 640,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    AfxGetApp()->m_hWndMain = mainWnd;
    if (mainWnd && visible) {
        ShowWindow(mainWnd, SW_SHOW);
        UpdateWindow(mainWnd);
    }
    refreshDrawingList();
    return mainWnd;
}

namespace {
std::string listItem(HWND list, int i) {
    const LRESULT n = SendMessageA(list, LB_GETTEXTLEN, (WPARAM)i, 0);
    if (n == LB_ERR) return std::string();
    std::string text((size_t)n + 1, '\0');
    SendMessageA(list, LB_GETTEXT, (WPARAM)i, (LPARAM)&text[0]);
    text.resize((size_t)n);
    return text;
}
} // namespace

// Brings the list of drawings and the title up to date, changing only what
// differs: a drawing closed removes its line, a drawing made current
// rewrites two. A real host's window work per change does not grow with the
// number of drawings open.
void refreshDrawingList() {
    if (!mainWnd) return;
    HWND list = GetDlgItem(mainWnd, kDrawingList);
    const DocManager& m = docManager();
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    int i = 0;
    for (const auto& d : m.docs) {
        const std::string item =
            (d.get() == m.current ? "* " : "  ") + d->path + (d->dbmod ? " (modified)" : "");
        if (i < count && listItem(list, i) == item) {
            ++i;
            continue;
        }
        if (i + 1 < count && listItem(list, i + 1) == item) { // the line here went away
            SendMessageA(list, LB_DELETESTRING, (WPARAM)i, 0);
            --count;
            ++i;
            continue;
        }
        if (i < count) {
            SendMessageA(list, LB_DELETESTRING, (WPARAM)i, 0);
            --count;
        }
        SendMessageA(list, LB_INSERTSTRING, (WPARAM)i, (LPARAM)item.c_str());
        ++count;
        ++i;
    }
    while (count > i)
        SendMessageA(list, LB_DELETESTRING, (WPARAM)--count, 0);
    std::string title = "CAD Host";
    if (m.current) title += " - [" + m.current->path + "]";
    char shown[1024] = {};
    GetWindowTextA(mainWnd, shown, sizeof shown);
    if (title != shown) SetWindowTextA(mainWnd, title.c_str());
}

void printLine(const std::string& text) {
    lastLine = text;
    transcript("print %s", text.c_str());
    if (!mainWnd) return;
    HWND history = GetDlgItem(mainWnd, kHistory);
    LRESULT n = SendMessageA(history, LB_ADDSTRING, 0, (LPARAM)text.c_str());
    SendMessageA(history, LB_SETTOPINDEX, (WPARAM)n, 0);
}

const char* lastPrinted() {
    return lastLine.c_str();
}

bool cancelRequested() {
    return cancelFlag;
}
void clearCancel() {
    cancelFlag = false;
}
// A cancel with nothing running only says so; it does not wait for the
// next command.
void requestCancel() {
    if (somethingRuns())
        cancelFlag = true;
    else
        printLine("*Cancel*");
}

} // namespace cadhost

HWND adsw_acadMainWnd() {
    return cadhost::mainWnd;
}
CWinApp* acedGetAcadWinApp() {
    return AfxGetApp();
}

int acutPrintf(const char* format, ...) {
    char text[2048];
    va_list ap;
    va_start(ap, format);
    int n = vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    std::string s(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    if (!s.empty() && s.front() == '\n') s.erase(0, 1);
    cadhost::printLine(s);
    return n;
}
