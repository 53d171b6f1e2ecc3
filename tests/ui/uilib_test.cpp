// The host's UI library with templates of its own: early messages,
// reflection, colour brushes, data exchange, the modal loop and tab pages.
#include <doctest.h>
#include <algorithm>
#include "ui/acui.h"
#include "ui/uiapp.h"
#include <shlobj.h>
#include "cadhost.h"
#include "testkit.h"
#include "uitest.h"

using namespace testkit;

namespace {

HWND mainWindow = nullptr;

// A host main window to own the dialogs, and templates from this program
// (the module that holds the UI library, when no resource library is set).
struct UiEnv {
    UiEnv() {
        main = mainWindow = cadhost::createMainWindow(true);
        ui::Application application;
        application.name = "UI test";
        application.mainWindow = [] { return mainWindow; };
        ui::setApplication(application);
    }
    HWND main;
};

class LinkStatic : public CStatic {
  public:
    int clicks = 0;
    int relayed = 0;
    bool presubclassed = false;
    UINT colourKind = 0;
    HBRUSH brush = (HBRUSH)GetStockObject(GRAY_BRUSH);

    void PreSubclassWindow() override {
        presubclassed = true;
        ModifyStyle(0, SS_NOTIFY);
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->hwnd == m_hWnd) ++relayed;
        return FALSE;
    }
    void onClicked() { ++clicks; }
    HBRUSH CtlColor(CDC* dc, UINT kind) {
        colourKind = kind;
        dc->SetTextColor(RGB(1, 2, 3));
        return brush;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(LinkStatic, CStatic)
ON_CONTROL_REFLECT(STN_CLICKED, onClicked)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class FieldsDialog : public CAcUiDialog {
  public:
    FieldsDialog() : CAcUiDialog(IDD_UI_FIELDS, nullptr, nullptr) {}
    int first = 1, second = 2, third = 3, radio = 1, check = 1;
    LinkStatic link;
    bool initialised = false;
    std::vector<UINT> beforeInit;
    int parentClicks = 0;
    int keyDowns = 0;

    void DoDataExchange(CDataExchange* dx) override {
        CAcUiDialog::DoDataExchange(dx);
        DDX_Control(dx, IDC_UI_LINK, link);
        DDX_Text(dx, IDC_UI_FIRST, first);
        DDX_Text(dx, IDC_UI_SECOND, second);
        DDX_Text(dx, IDC_UI_THIRD, third);
        DDX_Radio(dx, IDC_UI_RADIO_A, radio);
        DDX_Check(dx, IDC_UI_CHECK, check);
    }
    BOOL OnInitDialog() override {
        initialised = true;
        return CAcUiDialog::OnInitDialog();
    }
    BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
        if (!initialised) beforeInit.push_back(msg);
        return CAcUiDialog::OnWndMsg(msg, wp, lp, result);
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN) ++keyDowns;
        return CAcUiDialog::PreTranslateMessage(msg);
    }
    void onLinkClicked() { ++parentClicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(FieldsDialog, CAcUiDialog)
ON_BN_CLICKED(IDC_UI_LINK, onLinkClicked) // STN_CLICKED has the same code
END_MESSAGE_MAP()

// The message boxes among the dialogs a driver saw.
std::vector<SeenDialog> boxesOf(const DialogDriver& driver) {
    return dialogsOtherThan(driver, {"UI fields"});
}

} // namespace

TEST_CASE("messages before WM_INITDIALOG are seen; reflection reaches the child first") {
    UiEnv env;
    FieldsDialog d;
    LRESULT brush = 0;
    COLORREF textColour = 0;
    WhenVisible w("UI fields", [&](HWND h) {
        HWND link = GetDlgItem(h, IDC_UI_LINK);
        clickControl(link); // SS_NOTIFY from PreSubclassWindow makes it report
        HDC dc = GetDC(h);
        brush = SendMessageA(h, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)link);
        textColour = GetTextColor(dc);
        ReleaseDC(h, dc);
        PostMessageA(GetDlgItem(h, IDC_UI_FIRST), WM_KEYDOWN, 'A', 0);
        PostMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
    });
    CHECK(d.DoModal() == IDCANCEL);
    REQUIRE(w.ran());
    CHECK(std::find(d.beforeInit.begin(), d.beforeInit.end(), (UINT)WM_SETFONT) !=
          d.beforeInit.end());
    CHECK(d.link.presubclassed);
    CHECK(d.link.clicks == 1);
    CHECK(d.parentClicks == 0); // the control handled its own click
    CHECK(brush == (LRESULT)GetStockObject(GRAY_BRUSH));
    CHECK(textColour == RGB(1, 2, 3));
    CHECK(d.link.colourKind == CTLCOLOR_STATIC);
    CHECK(d.keyDowns >= 1);
    CHECK(d.link.relayed >= 1);
    CHECK(d.GetSafeHwnd() == nullptr);
}

TEST_CASE("a failed exchange stops at that control and shows the framework's message") {
    UiEnv env;
    FieldsDialog d;
    DialogDriver boxes;
    BOOL firstTry = TRUE;
    HWND focusAfter = nullptr, dialog = nullptr, secondEdit = nullptr;
    int radioNone = 99;
    WhenVisible w("UI fields", [&](HWND h) {
        dialog = h;
        CHECK(controlText(h, IDC_UI_FIRST) == "1");
        CHECK(isChecked(h, IDC_UI_RADIO_B));
        CHECK(isChecked(h, IDC_UI_CHECK));
        setControlText(h, IDC_UI_FIRST, " 12 ");
        setControlText(h, IDC_UI_SECOND, "abc");
        setControlText(h, IDC_UI_THIRD, "7");
        SendDlgItemMessageA(h, IDC_UI_RADIO_B, BM_SETCHECK, BST_UNCHECKED, 0);
        boxes.press(IDOK);
        firstTry = d.UpdateData(TRUE);
        focusAfter = GetFocus();
        secondEdit = GetDlgItem(h, IDC_UI_SECOND);
        setControlText(h, IDC_UI_SECOND, "-5");
        CHECK(d.UpdateData(TRUE));
        radioNone = d.radio;
        SendDlgItemMessageA(h, IDC_UI_RADIO_C, BM_SETCHECK, BST_CHECKED, 0);
        SendDlgItemMessageA(h, IDC_UI_CHECK, BM_SETCHECK, BST_UNCHECKED, 0);
        PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(h, IDOK));
    });
    CHECK(d.DoModal() == IDOK);
    REQUIRE(w.ran());
    CHECK_FALSE(firstTry);
    std::vector<SeenDialog> shown = boxesOf(boxes);
    REQUIRE(shown.size() == 1);
    CHECK(shown[0].texts == std::vector<std::string>{"Please enter an integer."});
    CHECK(shown[0].icon == systemIcon(MB_ICONEXCLAMATION));
    CHECK(shown[0].owner == dialog);
    CHECK(focusAfter == secondEdit);
    CHECK(radioNone == -1);
    CHECK(d.first == 12);
    CHECK(d.second == -5);
    CHECK(d.third == 7);
    CHECK(d.radio == 2);
    CHECK(d.check == 0);
}

TEST_CASE("the first failure keeps the fields read after it") {
    UiEnv env;
    FieldsDialog d;
    DialogDriver boxes;
    WhenVisible w("UI fields", [&](HWND h) {
        setControlText(h, IDC_UI_FIRST, "x1");
        setControlText(h, IDC_UI_SECOND, "20");
        SendDlgItemMessageA(h, IDC_UI_RADIO_A, BM_SETCHECK, BST_CHECKED, 0);
        boxes.press(IDOK);
        CHECK_FALSE(d.UpdateData(TRUE));
        PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
    });
    d.DoModal();
    REQUIRE(w.ran());
    CHECK(boxesOf(boxes).size() == 1);
    CHECK(d.first == 1);
    CHECK(d.second == 2);
    CHECK(d.radio == 1);
}

namespace {
int threadTicks = 0;
void CALLBACK countTick(HWND, UINT, UINT_PTR, DWORD) {
    ++threadTicks;
}
} // namespace

TEST_CASE("the modal loop disables the owner, keeps thread timers running and passes WM_QUIT on") {
    UiEnv env;
    FieldsDialog d;
    threadTicks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, countTick);
    bool ownerDisabled = false;
    int ticksSeen = 0;
    WhenVisible w("UI fields", [&](HWND) {
        ownerDisabled = !IsWindowEnabled(env.main);
        pump(300); // a handler that runs a loop of its own for a while
        ticksSeen = threadTicks;
        PostQuitMessage(5);
    });
    INT_PTR result = d.DoModal();
    KillTimer(nullptr, timer);
    REQUIRE(w.ran());
    CHECK(result == IDCANCEL);
    CHECK(ownerDisabled);
    CHECK(IsWindowEnabled(env.main));
    CHECK(ticksSeen >= 3);
    MSG msg = {};
    REQUIRE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    CHECK(msg.wParam == 5);
}

namespace {

class PageA : public CAcUiTabChildDialog {
  public:
    int validations = 0;
    BOOL ExchangeData(BOOL save) override {
        if (!save) return TRUE;
        ++validations;
        return !GetDlgItemText(IDC_UI_PAGE_EDIT).empty(); // refuses while empty
    }
};

class PageB : public CAcUiTabChildDialog {};

class TabsDialog : public CAcUiTabMainDialog {
  public:
    TabsDialog() : CAcUiTabMainDialog(IDD_UI_TABS, nullptr, nullptr) {}
    CAdUiTab tab;
    PageA a;
    PageB b;

    void DoDataExchange(CDataExchange* dx) override {
        CAcUiTabMainDialog::DoDataExchange(dx);
        DDX_Control(dx, IDC_UI_TAB, tab);
    }
    BOOL OnInitDialog() override {
        CAcUiTabMainDialog::OnInitDialog();
        SetAcadTabPointer(&tab);
        tab.AddTab(0, "First", IDD_UI_PAGE_A, &a);
        tab.AddTab(1, "Second", IDD_UI_PAGE_B, &b);
        ModifyStyleEx(WS_EX_CONTEXTHELP, 0);
        return TRUE;
    }
    void onSelChanging(NMHDR*, LRESULT* result) {
        *result = 0;
        if (!tab.GetDialogPointer(tab.GetActiveTab())->ValidateData()) *result = 1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TabsDialog, CAcUiTabMainDialog)
ON_NOTIFY(TCN_SELCHANGING, IDC_UI_TAB, onSelChanging)
END_MESSAGE_MAP()

} // namespace

TEST_CASE("a page that refuses keeps its tab in front; one that accepts lets it change") {
    UiEnv env;
    TabsDialog d;
    struct Seen {
        int tab;
        bool aVisible, bVisible;
    } refused = {}, accepted = {};
    DWORD exStyle = 0;
    WhenVisible w("UI tabs", [&](HWND h) {
        HWND tabs = GetDlgItem(h, IDC_UI_TAB);
        exStyle = (DWORD)GetWindowLongA(h, GWL_EXSTYLE);
        CHECK(GetParent(d.a.m_hWnd) == h);
        clickTab(tabs, 1);
        refused = {(int)SendMessageA(tabs, TCM_GETCURSEL, 0, 0), !!IsWindowVisible(d.a.m_hWnd),
                   !!IsWindowVisible(d.b.m_hWnd)};
        setControlText(d.a.m_hWnd, IDC_UI_PAGE_EDIT, "filled");
        clickTab(tabs, 1);
        accepted = {(int)SendMessageA(tabs, TCM_GETCURSEL, 0, 0), !!IsWindowVisible(d.a.m_hWnd),
                    !!IsWindowVisible(d.b.m_hWnd)};
        PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
    });
    CHECK(d.DoModal() == IDCANCEL);
    REQUIRE(w.ran());
    CHECK((exStyle & WS_EX_CONTEXTHELP) == 0);
    CHECK(refused.tab == 0);
    CHECK(refused.aVisible);
    CHECK_FALSE(refused.bVisible);
    CHECK(accepted.tab == 1);
    CHECK_FALSE(accepted.aVisible);
    CHECK(accepted.bVisible);
    CHECK(d.a.validations == 2);
    CHECK(d.a.GetMainDialog() != nullptr);
}

namespace {

class HelpDialog : public CAcUiDialog {
  public:
    HelpDialog() : CAcUiDialog(IDD_UI_HELP, nullptr, nullptr) {}
    int helps = 0;
    BOOL OnHelpInfo(HELPINFO*) {
        ++helps;
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(HelpDialog, CAcUiDialog)
ON_WM_HELPINFO()
END_MESSAGE_MAP()

// An old-style file dialog from a template of its own, cut down to folders.
class FolderDialog : public CFileDialog {
  public:
    explicit FolderDialog(const std::string& start)
        : CFileDialog(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_ENABLETEMPLATE, nullptr,
                      nullptr),
          start_(start) {
        m_ofn.Flags &= ~OFN_EXPLORER;
        m_ofn.hInstance = GetModuleHandleA(nullptr);
        m_ofn.lpTemplateName = "FOLDERONLY";
        m_ofn.lpstrInitialDir = start_.c_str();
        m_ofn.lpstrTitle = "UI folder";
    }
    bool initialised = false;
    int paints = 0;
    BOOL OnInitDialog() override {
        initialised = true;
        ::ShowWindow(::GetDlgItem(m_hWnd, 1120), SW_HIDE);
        CDialog::OnInitDialog();
        return TRUE;
    }
    void OnPaint() {
        ++paints;
        CPaintDC dc(this);
    }
    DECLARE_MESSAGE_MAP()

  private:
    std::string start_;
};

BEGIN_MESSAGE_MAP(FolderDialog, CFileDialog)
ON_WM_PAINT()
END_MESSAGE_MAP()

} // namespace

TEST_CASE("F1 typed in a dialog reaches its WM_HELP handler") {
    UiEnv env;
    HelpDialog d;
    WhenVisible w("UI help", [&](HWND h) {
        pressF1(GetDlgItem(h, IDC_UI_FIRST));
        PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
    });
    d.DoModal();
    REQUIRE(w.ran());
    CHECK(d.helps == 1);
}

TEST_CASE("the old-style file dialog runs the derived class's initialisation and paint handler") {
    UiEnv env;
    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    std::string dir = freshDir("ui-folderdialog");
    FolderDialog d(dir);
    bool hidden = false;
    WhenVisible w("UI folder", [&](HWND h) {
        hidden = !IsWindowVisible(GetDlgItem(h, 1120));
        SetDlgItemTextA(h, 1152, "Junk");
        PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(h, IDOK));
    });
    INT_PTR result = d.DoModal();
    SetCurrentDirectoryA(saved); // the dialog moves it, whatever its flags say
    REQUIRE(w.ran());
    CHECK(result == IDOK);
    CHECK(d.initialised);
    CHECK(hidden);
    CHECK(d.paints >= 1);
    CHECK(d.GetPathName() == dir + "\\Junk");
}

TEST_CASE("the shell's folder browser is driven to a folder") {
    UiEnv env;
    std::string dir = freshDir("ui-browse");
    WhenVisible w("Browse for Folder", [&](HWND h) { chooseInFolderBrowser(h, dir); });
    char name[MAX_PATH] = {};
    BROWSEINFOA bi = {};
    bi.hwndOwner = env.main;
    bi.pszDisplayName = name;
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
    LPITEMIDLIST item = SHBrowseForFolderA(&bi);
    REQUIRE(w.ran());
    REQUIRE(item != nullptr);
    char path[MAX_PATH] = {};
    CHECK(SHGetPathFromIDListA(item, path));
    CHECK(std::string(path) == dir);
    CoTaskMemFree(item);
}

TEST_CASE("a tool tip keeps its text; a font object deletes the font it held") {
    UiEnv env;
    HWND owner = CreateWindowExA(0, "STATIC", "tip owner", WS_CHILD | WS_VISIBLE, 0, 0, 80, 20,
                                 env.main, nullptr, nullptr, nullptr);
    REQUIRE(owner != nullptr);
    {
        CWnd* ownerWnd = CWnd::FromHandle(owner);
        CToolTipCtrl tip;
        REQUIRE(tip.Create(ownerWnd, 0));
        RECT r = {0, 0, 80, 20};
        CHECK(tip.AddTool(ownerWnd, "first text", &r, 1));
        CHECK(tip.GetText(ownerWnd, 1) == "first text");
        tip.UpdateTipText("second text", ownerWnd, 1);
        CHECK(tip.GetText(ownerWnd, 1) == "second text");
        HWND tipWindow = tip.m_hWnd;
        CHECK(IsWindow(tipWindow));
    }
    DestroyWindow(owner);
    LOGFONTA lf = {};
    lf.lfHeight = -12;
    lstrcpyA(lf.lfFaceName, "Arial");
    CFont font;
    REQUIRE(font.CreateFontIndirect(&lf));
    HFONT first = font;
    lf.lfUnderline = TRUE;
    REQUIRE(font.CreateFontIndirect(&lf));
    CHECK(GetObjectType(first) == 0);
    CHECK(GetObjectType((HFONT)font) == OBJ_FONT);
}
