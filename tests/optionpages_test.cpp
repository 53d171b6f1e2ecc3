// The Logging page with its folder chooser, and the About page with its
// link: driven in the real dialog, with real folders and registry keys.
#include <doctest.h>
#include <cstdio>
#include "textchecks.h"
#include "common/testseam.h"
#include <windows.h>
#include <commctrl.h>
#include "aced.h"
#include "cadhost.h"
#include "modulefixture.h"
#include "policykeys.h"
#include "options/abouttab.h"
#include "options/hyperlinkctrl.h"
#include "options/pathdialog.h"
#include "resources/publisher.h"
#include "resources/resource.h"
#include "settings/guardsettings.h"
#include "shell/guardapp.h"

using namespace testkit;
using namespace modtest;

namespace {

const char kOptions[] = "Tarnel options";

std::vector<SeenDialog> boxes(const DialogDriver& driver) {
    return dialogsOtherThan(driver, {kOptions});
}

HWND loggingPage(HWND options) {
    return findPage(options, IDC_LOGGING_BROWSE);
}

HWND aboutPage(HWND options) {
    return findPage(options, IDC_ABOUT_VERSION);
}

// Opens the options dialog at the Logging page and runs fn on it.
void onLoggingPage(const std::function<void(HWND options, HWND page)>& fn) {
    WhenVisible opened(kOptions, [&](HWND h) {
        clickTab(GetDlgItem(h, IDC_OPTIONS_TAB), 2);
        fn(h, loggingPage(h));
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
}

// Validates the Logging page by leaving it; true when the tab changed.
bool leavePage(HWND options) {
    HWND tab = GetDlgItem(options, IDC_OPTIONS_TAB);
    clickTab(tab, 0);
    bool left = SendMessageA(tab, TCM_GETCURSEL, 0, 0) == 0;
    if (left) clickTab(tab, 2);
    return left;
}

std::string currentDirectory() {
    char dir[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, dir);
    return dir;
}

} // namespace

TEST_CASE("the Logging page checks the folder only when logging is on, and says why") {
    Module m;
    Workspace w("logging-page");
    m.start({{"EnableLogging", "1"}, {"LogfilenameType", "1"}, {"Logfilepath", w.dir}});
    writeFile(w.dir + "\\a-file.txt", "x");
    // A folder that refuses new files (root ignores the read-only bit under
    // Wine): a folder where the check's own file would go.
    const std::string refusing = w.dir + "\\refusing";
    REQUIRE(CreateDirectoryA(refusing.c_str(), nullptr));
    char probe[32];
    std::snprintf(probe, sizeof probe, "\\~tarnel%lx.tmp", (unsigned long)GetCurrentProcessId());
    REQUIRE(CreateDirectoryA((refusing + probe).c_str(), nullptr));
    DialogDriver driver;
    struct Result {
        bool left;
        std::string stored;
        bool logging;
    };
    std::vector<Result> results;
    HWND dialog = nullptr;
    onLoggingPage([&](HWND h, HWND page) {
        dialog = h;
        auto attempt = [&](bool logging, const std::string& folder) {
            SendDlgItemMessageA(page, IDC_LOGGING_ENABLE, BM_SETCHECK,
                                logging ? BST_CHECKED : BST_UNCHECKED, 0);
            setControlText(page, IDC_LOGGING_FOLDER, folder);
            driver.press(IDOK);
            bool left = leavePage(h);
            results.push_back(
                {left, appSettings()->getLogfilepath(), appSettings()->getEnableLogging()});
        };
        attempt(false, "Z:\\no\\such\\folder");
        attempt(true, "Z:\\no\\such\\folder"); // refused: logging stays off
        attempt(true, "  " + w.dir + "\\ ");
        attempt(true, "\"" + w.dir + "\\\\\""); // quoted, two separators
        attempt(true, w.dir + "\\a-file.txt");
        attempt(true, "");
        attempt(true, refusing);
        // No name-type button selected: the type stays.
        for (int id : {IDC_LOGGING_ONE_FILE, IDC_LOGGING_PER_USER})
            SendDlgItemMessageA(page, id, BM_SETCHECK, BST_UNCHECKED, 0);
        attempt(true, w.dir);
        clickButton(h, IDCANCEL);
    });
    REQUIRE(results.size() == 8);
    CHECK(results[0].left);
    CHECK(!results[0].logging);
    CHECK(results[0].stored == w.dir);
    CHECK_FALSE(results[1].left);
    CHECK(!results[1].logging); // a page that refuses has stored nothing
    CHECK(results[1].stored == w.dir);
    CHECK(results[2].left);
    CHECK(results[2].stored == "  " + w.dir + "\\ ");
    CHECK(results[3].left);
    CHECK(results[3].stored == "\"" + w.dir + "\\\\\""); // as typed
    CHECK_FALSE(results[4].left);
    CHECK_FALSE(results[5].left);
    CHECK_FALSE(results[6].left);
    CHECK(results[7].left);
    CHECK(results[7].stored == w.dir);
    CHECK(appSettings()->getLogfilenameType() == 1);
    std::vector<SeenDialog> shown = boxes(driver);
    const std::string invalid = "Directory name is not valid!\n\n";
    const std::vector<std::string> why = {
        "The folder \"Z:\\no\\such\\folder\" does not exist.",
        "The folder \"" + w.dir + "\\a-file.txt\" is a file, not a folder.",
        "No folder is given.",
        "The folder \"" + refusing + "\" cannot be written: "};
    REQUIRE(shown.size() == why.size());
    for (size_t i = 0; i < why.size(); ++i) {
        CAPTURE(i);
        REQUIRE(shown[i].texts.size() == 1);
        CHECK_STARTS(shown[i].texts[0], invalid + why[i]);
        CHECK(isBox(shown[i], shown[i].texts[0], "Invalid name", MB_ICONINFORMATION, dialog));
    }
    CHECK(shown[3].texts[0].size() > (invalid + why[3]).size()); // Windows' words follow
}

TEST_CASE("the dependent controls follow the check box only once it is clicked") {
    Module m;
    Workspace w("logging-enable");
    m.start({{"EnableLogging", "0"}});
    std::vector<bool> atOpening, afterClick, afterSecond;
    onLoggingPage([&](HWND h, HWND page) {
        auto states = [&] {
            std::vector<bool> s;
            for (int id : {IDC_LOGGING_FOLDER, IDC_LOGGING_BROWSE, IDC_LOGGING_ONE_FILE,
                           IDC_LOGGING_PER_USER})
                s.push_back(IsWindowEnabled(GetDlgItem(page, id)) != FALSE);
            return s;
        };
        atOpening = states();
        clickButton(page, IDC_LOGGING_ENABLE); // ticks it
        afterClick = states();
        clickButton(page, IDC_LOGGING_ENABLE); // and off again
        afterSecond = states();
        clickButton(h, IDCANCEL);
    });
    CHECK(atOpening == std::vector<bool>{true, true, true, true}); // as the template has them
    CHECK(afterClick == std::vector<bool>{true, true, true, true});
    CHECK(afterSecond == std::vector<bool>{false, false, false, false});
}

TEST_CASE("Browse fills the folder from the shell's browser; Cancel leaves it") {
    Module m;
    Workspace w("logging-browse");
    m.start({{"Logfilepath", "C:\\typed"}});
    testseam::Switches shell;
    shell.folderDialog = testseam::FolderDialog::Shell;
    testseam::Scope useShell(shell);
    std::string chosen = freshDir("logging-browse-target");
    std::string afterOk, afterCancel;
    onLoggingPage([&](HWND h, HWND page) {
        {
            WhenVisible browser("Browse for Folder",
                                [&](HWND b) { chooseInFolderBrowser(b, chosen); });
            clickButton(page, IDC_LOGGING_BROWSE);
        }
        afterOk = controlText(page, IDC_LOGGING_FOLDER);
        {
            WhenVisible browser("Browse for Folder", [&](HWND b) { clickButton(b, IDCANCEL); });
            clickButton(page, IDC_LOGGING_BROWSE);
        }
        afterCancel = controlText(page, IDC_LOGGING_FOLDER);
        clickButton(h, IDCANCEL);
    });
    CHECK(afterOk == chosen);
    CHECK(afterCancel == chosen);
    CHECK(appSettings()->getLogfilepath() == "C:\\typed"); // nothing stored without validation
}

TEST_CASE("the old-style folder dialog returns its folder and leaves the working directory") {
    Module m;
    Workspace w("logging-legacy");
    m.start();
    testseam::Switches oldStyle;
    oldStyle.folderDialog = testseam::FolderDialog::OldStyle;
    testseam::Scope useOldStyle(oldStyle);
    std::string target = freshDir("logging-legacy-target");
    const std::string before = currentDirectory();
    std::string shown, during;
    bool junkHidden = false;
    onLoggingPage([&](HWND h, HWND page) {
        {
            WhenVisible legacy("Save As", [&](HWND d) {
                junkHidden = !IsWindowVisible(GetDlgItem(d, 1152));
                SetDlgItemTextA(d, 1152, (target + "\\Junk").c_str());
                clickButton(d, IDOK);
            });
            clickButton(page, IDC_LOGGING_BROWSE);
            REQUIRE(legacy.ran());
        }
        shown = controlText(page, IDC_LOGGING_FOLDER);
        during = currentDirectory();
        clickButton(h, IDCANCEL);
    });
    CHECK(junkHidden);
    CHECK(shown == target);
    CHECK(during == before);
}

TEST_CASE("the About page shows the module's version and the publisher's link") {
    Module m;
    Workspace w("about-page");
    m.start();
    std::string version, linkText, tipText;
    COLORREF normal = 0, hover = 0, visited = 0, left = 0;
    bool fits = false, hand = false, tipShown = false;
    RECT client = {}, toolArea = {};
    WhenVisible opened(kOptions, [&](HWND h) {
        clickTab(GetDlgItem(h, IDC_OPTIONS_TAB), 3);
        HWND page = aboutPage(h);
        HWND link = GetDlgItem(page, IDC_ABOUT_LINK);
        auto* ctrl = static_cast<HyperLinkCtrl*>(CWnd::FromHandlePermanent(link));
        REQUIRE(ctrl != nullptr);
        version = controlText(page, IDC_ABOUT_VERSION);
        linkText = windowText(link);
        tipText = ctrl->tip.GetText(ctrl, 1);
        hand = ctrl->handCursor.valid();
        // The tool covers the control as it is now, not as the template made it.
        GetClientRect(link, &client);
        TOOLINFOA ti = {};
        ti.cbSize = sizeof ti;
        ti.hwnd = link;
        ti.uId = 1;
        SendMessageA(ctrl->tip.m_hWnd, TTM_GETTOOLINFOA, 0, (LPARAM)&ti);
        toolArea = ti.rect;
        auto colour = [&] {
            HDC dc = GetDC(page);
            SendMessageA(page, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)link);
            COLORREF c = GetTextColor(dc);
            ReleaseDC(page, dc);
            return c;
        };
        normal = colour();
        SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        hover = colour();
        SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(-50, -50));
        ctrl->setOpened(TRUE);
        visited = colour();
        SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(-50, -50));
        left = colour();
        RECT r;
        GetWindowRect(link, &r);
        HDC dc = GetDC(link);
        HGDIOBJ old = SelectObject(dc, (HFONT)ctrl->underlineFont);
        SIZE extent;
        GetTextExtentPoint32A(dc, linkText.c_str(), (int)linkText.size(), &extent);
        SelectObject(dc, old);
        ReleaseDC(link, dc);
        fits = r.right - r.left == extent.cx && r.bottom - r.top == extent.cy;
        // A pointer resting on the link brings the tip up.
        POINT at = {3, 3};
        ClientToScreen(link, &at);
        SetCursorPos(at.x, at.y);
        MSG move = {};
        move.hwnd = link;
        move.message = WM_MOUSEMOVE;
        move.lParam = MAKELPARAM(3, 3);
        move.pt = at;
        ctrl->PreTranslateMessage(&move);
        for (DWORD start = GetTickCount(); !tipShown && GetTickCount() - start < 4000;) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            tipShown = IsWindowVisible(ctrl->tip.m_hWnd) != FALSE;
            Sleep(20);
        }
        SetCursorPos(0, 0);
        clickButton(h, IDCANCEL);
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    CHECK(version == "1.5.0.0");
    CHECK(linkText == TARNEL_PUBLISHER_URL);
    CHECK(tipText == TARNEL_PUBLISHER_URL);
    CHECK(toolArea.left == client.left);
    CHECK(toolArea.top == client.top);
    CHECK(toolArea.right == client.right);
    CHECK(toolArea.bottom == client.bottom);
    CHECK(client.right > 0);
    CHECK(tipShown);
    CHECK(hand); // the system's hand, as the help program has none here
    CHECK(normal == RGB(0, 0, 238));
    CHECK(hover == GetSysColor(COLOR_HIGHLIGHT));
    CHECK(visited == RGB(85, 26, 139));
    CHECK(left == RGB(85, 26, 139));
    CHECK(fits);
    CHECK(moduleFileVersion(nullptr).empty());
}

TEST_CASE("the link fits its text for each alignment") {
    Module m;
    struct Case {
        DWORD style;
        RECT expected;
    };
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    for (DWORD style :
         {(DWORD)SS_LEFT, (DWORD)SS_CENTER, (DWORD)SS_RIGHT, (DWORD)(SS_CENTER | SS_CENTERIMAGE)}) {
        CAPTURE(style);
        HWND s = CreateWindowExA(0, "STATIC", "fit me", WS_CHILD | style, 100, 50, 200, 40, parent,
                                 nullptr, nullptr, nullptr);
        HyperLinkCtrl link;
        REQUIRE(link.SubclassWindow(s));
        HDC dc = GetDC(s);
        HGDIOBJ old = SelectObject(dc, (HFONT)link.underlineFont);
        SIZE e;
        GetTextExtentPoint32A(dc, "fit me", 6, &e);
        SelectObject(dc, old);
        ReleaseDC(s, dc);
        RECT r;
        GetWindowRect(s, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        CHECK(r.right - r.left == (style & SS_CENTER ? 200 - 2 * ((200 - e.cx) / 2) : e.cx));
        if (style == SS_LEFT) CHECK(r.left == 100);
        if (style == SS_RIGHT) CHECK(r.right == 300);
        if (style & SS_CENTER) CHECK(r.left == 100 + (200 - e.cx) / 2);
        if (style & SS_CENTERIMAGE)
            CHECK(r.top == 50 + (40 - e.cy) / 2);
        else {
            CHECK(r.top == 50);
            CHECK(r.bottom == 50 + e.cy);
        }
        link.UnsubclassWindow();
        DestroyWindow(s);
    }
    DestroyWindow(parent);
}

namespace {
// HKEY_CLASSES_ROOT keys for ".htm", removed again when the scope ends.
struct HtmClass {
    explicit HtmClass(const std::string& command) {
        setDefault(".htm", "tarneltest.htm");
        setDefault("tarneltest.htm\\shell\\open\\command", command);
    }
    ~HtmClass() {
        for (const char* key :
             {"tarneltest.htm\\shell\\open\\command", "tarneltest.htm\\shell\\open",
              "tarneltest.htm\\shell", "tarneltest.htm"})
            RegDeleteKeyA(HKEY_CLASSES_ROOT, key);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
    }
    static void setDefault(const char* key, const std::string& value) {
        HKEY k;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                            nullptr) != ERROR_SUCCESS)
            return;
        RegSetValueExA(k, nullptr, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
        RegCloseKey(k);
    }
};
} // namespace

TEST_CASE("opening the link: the shell, the registry's command, and the errors") {
    Module m;
    Workspace w("about-open");
    // A target the shell cannot open (31): the registry's web-page command
    // runs with the target in place of its placeholder.
    const std::string marker = w.dir + "\\opened.txt";
    // The line the registry's command echoed into the marker file.
    auto echoedBy = [&](const std::string& placeholder, const char* target) {
        HtmClass htm("cmd.exe /c echo>\"" + marker + "\" " + placeholder + " trailing");
        CHECK(HyperLinkCtrl::openTarget(target, SW_HIDE) > 32);
        std::string echoed;
        for (int i = 0; i < 100 && echoed.find('\n') == std::string::npos; ++i) {
            Sleep(50); // cmd.exe runs on its own: wait for its whole line
            echoed = readFile(marker);
        }
        return echoed;
    };
    SUBCASE("a quoted placeholder is cut with what follows it") {
        // "echo>M  tarnel-test:x" was run: cut before the quote, a blank, the target.
        CHECK(echoedBy("\"%1\"", "tarnel-test:x") == " tarnel-test:x\r\n");
    }
    SUBCASE("an unquoted placeholder is cut the same way") {
        CHECK(echoedBy("%1", "tarnel-test:y") == " tarnel-test:y\r\n");
    }
    SUBCASE("a command without a placeholder gets the target appended") {
        // "echo>M  trailing tarnel-test:z": the whole command, a blank, the target.
        CHECK(echoedBy("", "tarnel-test:z") == " trailing tarnel-test:z\r\n");
    }
    SUBCASE("no .htm class: the shell's result comes back and is explained") {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
        CHECK(HyperLinkCtrl::openTarget("tarnel-test:x", SW_HIDE) == 31);
        CHECK(HyperLinkCtrl::openErrorText(31) ==
              "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
              "filename extension.");
        CHECK(HyperLinkCtrl::openErrorText(1) ==
              "Unable to open hyperlink:\n\nUnknown Error (1) occurred.");
        CHECK(HyperLinkCtrl::openErrorText(26) ==
              "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    }
    SUBCASE("a web address opens through the shell") {
        CHECK(HyperLinkCtrl::openTarget("http://127.0.0.1:9/", SW_HIDE) > 32);
    }
}

TEST_CASE("a click that cannot open the link beeps and says why") {
    Module m;
    Workspace w("about-click");
    m.start();
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
    DialogDriver driver;
    COLORREF after = 0;
    WhenVisible opened(kOptions, [&](HWND h) {
        clickTab(GetDlgItem(h, IDC_OPTIONS_TAB), 3);
        HWND page = aboutPage(h);
        HWND link = GetDlgItem(page, IDC_ABOUT_LINK);
        auto* ctrl = static_cast<HyperLinkCtrl*>(CWnd::FromHandlePermanent(link));
        ctrl->setOpened(TRUE);
        ctrl->setTarget("tarnel-test:x");
        driver.press(IDOK);
        clickControl(link);
        HDC dc = GetDC(page);
        SendMessageA(page, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)link);
        after = GetTextColor(dc);
        ReleaseDC(page, dc);
        clickButton(h, IDCANCEL);
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    std::vector<SeenDialog> shown = boxes(driver);
    REQUIRE(shown.size() == 1);
    CHECK(shown[0].texts ==
          std::vector<std::string>{"Unable to open hyperlink:\n\nThere is no application "
                                   "associated\nwith the given filename extension."});
    CHECK(shown[0].icon == systemIcon(MB_ICONEXCLAMATION));
    CHECK(after == RGB(0, 0, 238)); // back to the normal colour
}

namespace {
// What the options dialog shows of one control and of a page's note.
struct Shown {
    bool enabled;
    std::string text;
};
Shown shown(HWND page, int id) {
    return {IsWindowEnabled(GetDlgItem(page, id)) != FALSE, controlText(page, id)};
}
bool noteShown(HWND page) {
    HWND note = GetDlgItem(page, IDC_POLICY_NOTE);
    return note && (GetWindowLongA(note, GWL_STYLE) & WS_VISIBLE) &&
           windowText(note) == "Some of these settings are set by your administrator.";
}
} // namespace

TEST_CASE("a setting Group Policy sets: its control disabled showing the policy's value, the "
          "page's line, and OK storing only the rest") {
    PolicyKeys policy;
    PolicyKeys::number(HKEY_LOCAL_MACHINE, "TimeInactivity", 15);
    PolicyKeys::text(HKEY_CURRENT_USER, "Journalpath", "C:\\policy\\journal");
    Module m;
    Workspace w("options-policy");
    m.start({{"TimeInactivity", "25"}, {"Logfilepath", w.dir}});
    Shown inactivity{}, countdown{}, journal{}, folder{};
    bool configNote = false, loggingNote = false, passwordNote = true;
    WhenVisible opened(kOptions, [&](HWND h) {
        HWND tab = GetDlgItem(h, IDC_OPTIONS_TAB);
        HWND config = findPage(h, IDC_CONFIG_INACTIVITY);
        inactivity = shown(config, IDC_CONFIG_INACTIVITY);
        countdown = shown(config, IDC_CONFIG_COUNTDOWN);
        configNote = noteShown(config);
        setControlText(config, IDC_CONFIG_COUNTDOWN, "45");
        clickTab(tab, 1);
        passwordNote = noteShown(findPage(h, IDC_PASSWORD_CONFIRM));
        clickTab(tab, 2);
        HWND logging = loggingPage(h);
        journal = shown(logging, IDC_LOGGING_JOURNAL);
        folder = shown(logging, IDC_LOGGING_FOLDER);
        loggingNote = noteShown(logging);
        clickButton(h, IDOK);
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    CHECK_FALSE(inactivity.enabled);
    CHECK(inactivity.text == "15");
    CHECK(countdown.enabled);
    CHECK(configNote);
    CHECK_FALSE(passwordNote);
    CHECK_FALSE(journal.enabled);
    CHECK(journal.text == "C:\\policy\\journal");
    CHECK(folder.enabled);
    CHECK(loggingNote);
    // OK stored the countdown, and nothing the policy sets.
    CHECK(appSettings()->getTimeCountdown() == 45);
    CHECK(appSettings()->values().timeInactivity == 25);
    CHECK(appSettings()->values().journalpath.empty());
}

TEST_CASE("LockOptions: every page read-only whatever the password, OK storing nothing") {
    PolicyKeys policy;
    PolicyKeys::number(HKEY_LOCAL_MACHINE, "LockOptions", 1);
    Module m;
    Workspace w("options-locked");
    m.start({{"TimeInactivity", "25"}, {"Logfilepath", w.dir}});
    std::vector<bool> enabled;
    std::vector<bool> notes;
    WhenVisible opened(kOptions, [&](HWND h) {
        HWND tab = GetDlgItem(h, IDC_OPTIONS_TAB);
        HWND config = findPage(h, IDC_CONFIG_INACTIVITY);
        for (int id : {IDC_CONFIG_INACTIVITY, IDC_CONFIG_ACTION, IDC_CONFIG_DRY_RUN})
            enabled.push_back(IsWindowEnabled(GetDlgItem(config, id)) != FALSE);
        notes.push_back(noteShown(config));
        clickTab(tab, 1);
        HWND password = findPage(h, IDC_PASSWORD_CONFIRM);
        enabled.push_back(IsWindowEnabled(GetDlgItem(password, IDC_PASSWORD_PROTECT)) != FALSE);
        notes.push_back(noteShown(password));
        clickTab(tab, 2);
        HWND logging = loggingPage(h);
        for (int id : {IDC_LOGGING_ENABLE, IDC_LOGGING_BROWSE, IDC_LOGGING_JOURNAL})
            enabled.push_back(IsWindowEnabled(GetDlgItem(logging, id)) != FALSE);
        notes.push_back(noteShown(logging));
        clickButton(h, IDOK);
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    CHECK(enabled == std::vector<bool>(7, false));
    CHECK(notes == std::vector<bool>(3, true));
    CHECK(appSettings()->values().timeInactivity == 25);
}
