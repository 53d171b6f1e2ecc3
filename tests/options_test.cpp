// The options command as a user meets it: the dialog, the Configuration and
// Password pages, the prompt, OK, Cancel and F1.
#include <doctest.h>
#include <windows.h>
#include <commctrl.h>
#include "aced.h"
#include "allocfaults.h"
#include "cadhost.h"
#include "idle/idletimer.h"
#include "modulefixture.h"
#include "options/optionscommand.h"
#include "resources/resource.h"
#include "settings/guardsettings.h"
#include "shell/guardapp.h"

using namespace testkit;
using namespace modtest;

namespace {

const char kOptions[] = "Tarnel options";

// The boxes a driver saw, without the options dialog and the prompt.
std::vector<SeenDialog> boxes(const DialogDriver& driver) {
    return dialogsOtherThan(driver, {kOptions, "Tarnel options - password"});
}

HWND configPage(HWND options) {
    return findPage(options, IDC_CONFIG_INACTIVITY);
}

HWND passwordPage(HWND options) {
    return findPage(options, IDC_PASSWORD_NEW);
}

void setTimes(HWND options, const char* inactivity, const char* countdown) {
    setControlText(configPage(options), IDC_CONFIG_INACTIVITY, inactivity);
    setControlText(configPage(options), IDC_CONFIG_COUNTDOWN, countdown);
}

void chooseAction(HWND options, int id) {
    HWND page = configPage(options);
    for (int b : {IDC_CONFIG_ACTION, IDC_CONFIG_ACTION_CURRENT, IDC_CONFIG_ACTION_OTHER})
        SendDlgItemMessageA(page, b, BM_SETCHECK, b == id ? BST_CHECKED : BST_UNCHECKED, 0);
}

} // namespace

TEST_CASE("without protection the dialog opens at once; Cancel writes nothing") {
    Module m;
    Workspace w("options-open");
    m.start({{"TimeInactivity", "15"}});
    const std::string before = readFile(settingsPath());
    HWND owner = nullptr;
    DWORD exStyle = 0;
    std::vector<std::string> titles;
    std::string shownInactivity;
    WhenVisible opened(kOptions, [&](HWND h) {
        owner = GetWindow(h, GW_OWNER);
        exStyle = (DWORD)GetWindowLongA(h, GWL_EXSTYLE);
        titles = tabTitles(GetDlgItem(h, IDC_OPTIONS_TAB));
        shownInactivity = controlText(configPage(h), IDC_CONFIG_INACTIVITY);
        clickButton(h, IDCANCEL);
    });
    CHECK(cadhost::executeLine("tarnel_opt"));
    REQUIRE(opened.ran());
    CHECK(owner == adsw_acadMainWnd());
    CHECK((exStyle & WS_EX_CONTEXTHELP) == 0);
    CHECK(titles == std::vector<std::string>{"Configuration", "Password", "Logging", "About"});
    CHECK(shownInactivity == "15");
    CHECK(readFile(settingsPath()) == before);
}

TEST_CASE("the Configuration page checks the countdown first and keeps what it stored") {
    Module m;
    Workspace w("options-config");
    m.start({{"Action", "2"}, {"TimeCountdown", "30"}, {"TimeInactivity", "10"}});
    DialogDriver driver;
    struct Step {
        int action, countdown, inactivity;
        bool stillOpen;
    } zero = {}, high = {};
    HWND dialog = nullptr;
    WhenVisible opened(kOptions, [&](HWND h) {
        dialog = h;
        chooseAction(h, IDC_CONFIG_ACTION);
        setTimes(h, "0", "0");
        driver.press(IDOK);
        clickButton(h, IDOK);
        GuardSettings* s = appSettings();
        zero = {s->getAction(), s->getTimeCountdown(), s->getTimeInactivity(),
                !!IsWindowVisible(h)};
        setTimes(h, "121", "60");
        driver.press(IDOK);
        clickButton(h, IDOK);
        high = {s->getAction(), s->getTimeCountdown(), s->getTimeInactivity(),
                !!IsWindowVisible(h)};
        setTimes(h, "120", "1");
        SendDlgItemMessageA(configPage(h), IDC_CONFIG_ALLOW_DISABLE, BM_SETCHECK, BST_CHECKED, 0);
        clickButton(h, IDOK);
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    std::vector<SeenDialog> shown = boxes(driver);
    REQUIRE(shown.size() == 2);
    CHECK(shown[0].texts ==
          std::vector<std::string>{"Invalid value for countdown timeout (must be 1-60)!"});
    CHECK(shown[0].caption == "Invalid value");
    CHECK(shown[0].icon == systemIcon(MB_ICONINFORMATION));
    CHECK(shown[0].owner == dialog);
    CHECK(shown[1].texts ==
          std::vector<std::string>{"Invalid value for inactivity timeout (must be 1-120)!"});
    // A page that refuses has stored nothing, the action neither.
    CHECK(zero.action == 2);
    CHECK(zero.countdown == 30);
    CHECK(zero.inactivity == 10);
    CHECK(zero.stillOpen);
    CHECK(high.action == 2);
    CHECK(high.countdown == 30);
    CHECK(high.inactivity == 10);
    CHECK(high.stillOpen);
    // OK with good values wrote the file.
    GuardSettings written(settingsPath());
    CHECK(written.getTimeInactivity() == 120);
    CHECK(written.getTimeCountdown() == 1);
    CHECK(written.getAction() == 0);
    CHECK(written.getAllowDisable());
}

TEST_CASE("a non-number in a time refuses the page after the framework's message") {
    Module m;
    Workspace w("options-nonnumber");
    m.start({{"TimeCountdown", "30"}});
    DialogDriver driver;
    bool stillOpen = false;
    WhenVisible opened(kOptions, [&](HWND h) {
        chooseAction(h, IDC_CONFIG_ACTION_CURRENT);
        setTimes(h, "ten", "20");
        driver.press(IDOK);
        clickButton(h, IDOK);
        stillOpen = IsWindowVisible(h) != FALSE;
        clickButton(h, IDCANCEL);
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    std::vector<SeenDialog> shown = boxes(driver);
    REQUIRE(shown.size() == 1);
    CHECK(shown[0].texts == std::vector<std::string>{"Please enter an integer."});
    CHECK(stillOpen);
    CHECK(appSettings()->getAction() == 2); // nothing stored from the refused page
    CHECK(appSettings()->getTimeCountdown() == 30);
}

TEST_CASE("a tab change validates the page it leaves; Cancel keeps what was validated") {
    Module m;
    Workspace w("options-tabchange");
    m.start({{"TimeInactivity", "10"}});
    const std::string before = readFile(settingsPath());
    DialogDriver driver;
    int refusedTab = -1, acceptedTab = -1;
    WhenVisible opened(kOptions, [&](HWND h) {
        HWND tab = GetDlgItem(h, IDC_OPTIONS_TAB);
        setTimes(h, "7", "0");
        driver.press(IDOK);
        clickTab(tab, 1);
        refusedTab = (int)SendMessageA(tab, TCM_GETCURSEL, 0, 0);
        setTimes(h, "7", "20");
        clickTab(tab, 1);
        acceptedTab = (int)SendMessageA(tab, TCM_GETCURSEL, 0, 0);
        clickButton(h, IDCANCEL);
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    CHECK(boxes(driver).size() == 1);
    CHECK(refusedTab == 0);
    CHECK(acceptedTab == 1);
    CHECK(appSettings()->getTimeInactivity() == 7);
    CHECK(readFile(settingsPath()) == before);
    m.stop();
    CHECK(GuardSettings(settingsPath()).getTimeInactivity() == 7);
}

TEST_CASE("OK restarts the count and turns the watch back on after Disable") {
    Module m;
    Workspace w("options-restart");
    m.start();
    w.open("a.dwg");
    ticks(5);
    stopIdleTimer(); // the countdown window's Disable
    REQUIRE(idleTimerState().timerId == 0);
    WhenVisible opened(kOptions, [&](HWND h) { clickButton(h, IDOK); });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    CHECK(idleTimerState().timerId != 0);
    CHECK(idleTimerState().idleSeconds == 0);
}

TEST_CASE("OK on a settings file that cannot be written closes without a word") {
    Module m;
    Workspace w("options-readonly");
    m.start({{"TimeInactivity", "10"}});
    const std::string before = readFile(settingsPath());
    SetFileAttributesA(settingsPath().c_str(), FILE_ATTRIBUTE_READONLY);
    DialogDriver driver;
    bool closed = false;
    WhenVisible opened(kOptions, [&](HWND h) {
        setTimes(h, "25", "30");
        clickButton(h, IDOK);
        closed = !IsWindowVisible(h);
    });
    cadhost::executeLine("tarnel_opt");
    SetFileAttributesA(settingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    REQUIRE(opened.ran());
    CHECK(closed);
    CHECK(boxes(driver).empty());
    CHECK(readFile(settingsPath()) == before);
    CHECK(appSettings()->getTimeInactivity() == 25);
}

TEST_CASE("F1 opens help at context 1000") {
    Module m;
    Workspace w("options-help");
    m.start();
    if (HWND old = FindWindowA("HH Parent", nullptr)) DestroyWindow(old);
    HWND help = nullptr;
    WhenVisible opened(kOptions, [&](HWND h) {
        pressF1(GetDlgItem(configPage(h), IDC_CONFIG_INACTIVITY));
        for (int i = 0; i < 50 && !help; ++i) {
            pump(50);
            help = FindWindowA("HH Parent", nullptr);
        }
        clickButton(h, IDCANCEL);
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    // The help file maps context 1000 alone, and the help window opens only
    // for a context it maps: a window is help opened at 1000.
    CHECK(help != nullptr);
    if (help) DestroyWindow(help);
}

TEST_CASE("the prompt guards the dialog: wrong, differently cased and right passwords") {
    Module m;
    Workspace w("options-prompt");
    m.start({{"Protection", "1"}, {"Password", "Secret1"}});
    DialogDriver driver;
    SUBCASE("Cancel ends the command with nothing opened") {
        const std::string before = readFile(settingsPath());
        WhenVisible prompt("Tarnel options - password", [&](HWND h) { clickButton(h, IDCANCEL); });
        cadhost::executeLine("tarnel_opt");
        REQUIRE(prompt.ran());
        for (const SeenDialog& d : driver.seen)
            CHECK(d.caption != kOptions);
        CHECK(readFile(settingsPath()) == before);
    }
    SUBCASE("only the password as stored opens the dialog") {
        bool openedAfter = false;
        HWND promptWindow = nullptr;
        WhenVisible prompt("Tarnel options - password", [&](HWND h) {
            promptWindow = h;
            for (const char* wrong : {"wrong", "secret1"}) {
                setControlText(h, IDC_PROMPT_PASSWORD, wrong);
                driver.press(IDOK);
                clickButton(h, IDOK);
            }
            setControlText(h, IDC_PROMPT_PASSWORD, "Secret1");
            clickButton(h, IDOK);
        });
        WhenVisible opened(kOptions, [&](HWND h) {
            openedAfter = true;
            clickButton(h, IDCANCEL);
        });
        cadhost::executeLine("tarnel_opt");
        REQUIRE(prompt.ran());
        CHECK(openedAfter);
        std::vector<SeenDialog> shown = boxes(driver);
        REQUIRE(shown.size() == 2);
        for (const SeenDialog& b : shown)
            CHECK(isBox(b, "Invalid password !", "Error", MB_ICONINFORMATION, promptWindow));
    }
}

TEST_CASE("the Password page: empty, short, differing, unticked and accepted") {
    Module m;
    Workspace w("options-password");
    m.start({{"Password", "oldpass"}});
    DialogDriver driver;
    std::vector<int> protections;
    WhenVisible opened(kOptions, [&](HWND h) {
        HWND tab = GetDlgItem(h, IDC_OPTIONS_TAB);
        clickTab(tab, 1);
        HWND page = passwordPage(h);
        auto attempt = [&](bool tick, const char* password, const char* confirmation) {
            SendDlgItemMessageA(page, IDC_PASSWORD_PROTECT, BM_SETCHECK,
                                tick ? BST_CHECKED : BST_UNCHECKED, 0);
            setControlText(page, IDC_PASSWORD_NEW, password);
            setControlText(page, IDC_PASSWORD_CONFIRM, confirmation);
            driver.press(IDOK);
            clickTab(tab, 0);
            protections.push_back(appSettings()->getProtection() ? 1 : 0);
            if (SendMessageA(tab, TCM_GETCURSEL, 0, 0) == 0) clickTab(tab, 1);
        };
        attempt(true, "", "");
        attempt(true, "abcde", "abcde");
        attempt(true, "abcdef", "ABCDEF");
        attempt(false, "x", "y");
        CHECK(appSettings()->getPassword() == "oldpass");
        attempt(true, "abcdef", "abcdef");
        clickButton(h, IDCANCEL);
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    std::vector<SeenDialog> shown = boxes(driver);
    REQUIRE(shown.size() == 3);
    CHECK(shown[0].texts == std::vector<std::string>{"Password can't be empty!"});
    CHECK(shown[0].caption == "Wrong password");
    CHECK(shown[1].texts ==
          std::vector<std::string>{"Password must be at lest 6 characters long!"});
    CHECK(shown[2].texts == std::vector<std::string>{"Password and confirmations differ!"});
    CHECK(shown[2].caption == "Information");
    CHECK(shown[2].icon == systemIcon(MB_ICONERROR));
    CHECK(protections == std::vector<int>{1, 1, 1, 0, 1});
    CHECK(appSettings()->getPassword() == "abcdef");
    CHECK(appSettings()->getProtection());
}

TEST_CASE("the password edits hide what is typed") {
    Module m;
    Workspace w("options-hidden");
    m.start();
    std::vector<bool> hidden;
    WhenVisible opened(kOptions, [&](HWND h) {
        HWND page = passwordPage(h);
        for (int id : {IDC_PASSWORD_NEW, IDC_PASSWORD_CONFIRM})
            hidden.push_back((GetWindowLongA(GetDlgItem(page, id), GWL_STYLE) & ES_PASSWORD) != 0);
        clickButton(h, IDCANCEL);
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    CHECK(hidden == std::vector<bool>{true, true});
}

TEST_CASE("a failed allocation anywhere in the command stays inside the module") {
    Module m;
    Workspace w("options-alloc");
    m.start();
    int points = 0;
    for (long k = 1; k < 400; ++k) {
        CAPTURE(k);
        WhenVisible opened(kOptions, [&](HWND h) { clickButton(h, IDCANCEL); });
        bool hit;
        {
            allocfaults::FailAt fault(k);
            optionsCommand();
            hit = fault.hit();
        }
        // Whatever failed, the dialog is gone and the host takes input again.
        CHECK(FindWindowA(nullptr, kOptions) == nullptr);
        CHECK(IsWindowEnabled(adsw_acadMainWnd()));
        if (!hit) break;
        ++points;
    }
    CHECK(points >= 3); // every allocation the module makes to open and close it
    CHECK(IsWindow(adsw_acadMainWnd()));
}

TEST_CASE("the spins: decimal, their ranges and one acceleration entry each") {
    Module m;
    Workspace w("options-spins");
    m.start();
    struct Spin {
        LRESULT base;
        int low, high;
        LRESULT entries;
        UINT step;
    };
    Spin inactivity = {}, countdown = {};
    WhenVisible opened(kOptions, [&](HWND h) {
        HWND page = configPage(h);
        auto read = [&](int id) {
            HWND spin = GetDlgItem(page, id);
            Spin s = {};
            s.base = SendMessageA(spin, UDM_GETBASE, 0, 0);
            SendMessageA(spin, UDM_GETRANGE32, (WPARAM)&s.low, (LPARAM)&s.high);
            UDACCEL accel[4] = {};
            s.entries = SendMessageA(spin, UDM_GETACCEL, 4, (LPARAM)accel);
            s.step = accel[0].nInc;
            return s;
        };
        inactivity = read(IDC_CONFIG_INACTIVITY_SPIN);
        countdown = read(IDC_CONFIG_COUNTDOWN_SPIN);
        clickButton(h, IDCANCEL);
    });
    cadhost::executeLine("tarnel_opt");
    REQUIRE(opened.ran());
    CHECK(inactivity.base == 10);
    CHECK(inactivity.low == 1);
    CHECK(inactivity.high == 120);
    CHECK(inactivity.entries == 1);
    CHECK(inactivity.step == 1);
    CHECK(countdown.base == 10);
    CHECK(countdown.low == 1);
    CHECK(countdown.high == 60);
    CHECK(countdown.entries == 1);
    CHECK(countdown.step == 2);
}
