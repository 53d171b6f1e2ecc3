#include "testkit.h"
#include <algorithm>
#include <cstdio>
#include <commctrl.h>
#include <shlobj.h>

namespace testkit {

namespace {
DialogDriver* activeDriver = nullptr;

struct Handle {
    HANDLE h;
    explicit Handle(HANDLE h) : h(h) {}
    ~Handle() {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

void removeTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = fd.cFileName;
            if (n == "." || n == "..") continue;
            std::string p = dir + "\\" + n;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(p);
            } else {
                SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(p.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}
} // namespace

std::string binDir() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\'));
}

std::string freshDir(const std::string& name) {
    std::string root = binDir() + "\\..\\test-files";
    CreateDirectoryA(root.c_str(), nullptr);
    char full[MAX_PATH];
    GetFullPathNameA((root + "\\" + name).c_str(), MAX_PATH, full, nullptr);
    removeTree(full);
    CreateDirectoryA(full, nullptr);
    return full;
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

std::string readFile(const std::string& path) {
    std::string out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    std::fclose(f);
    return out;
}

void writeFile(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string l = text.substr(pos, end - pos);
        if (!l.empty() && l.back() == '\r') l.pop_back();
        out.push_back(l);
        pos = end + 1;
    }
    return out;
}

std::vector<std::string> linesStarting(const std::string& text, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& l : lines(text))
        if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
    return out;
}

std::string registryString(const std::string& key, const char* name, HKEY root) {
    char buf[4096] = {};
    DWORD size = sizeof buf - 1;
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return "(none)";
    LONG r = RegQueryValueExA(k, name, nullptr, nullptr, (LPBYTE)buf, &size);
    RegCloseKey(k);
    return r == ERROR_SUCCESS ? std::string(buf) : "(none)";
}

void setRegistryString(const std::string& key, const char* name, const std::string& text) {
    HKEY k;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(k, name, 0, REG_SZ, (const BYTE*)text.c_str(), (DWORD)text.size() + 1);
    RegCloseKey(k);
}

void deleteRegistryValue(const std::string& key, const char* name) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(k, name);
    RegCloseKey(k);
}

Process::Process(std::string commandLine, const std::string& workDir) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    started_ = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              workDir.c_str(), &si, &pi_) != FALSE;
}

Process::~Process() {
    if (!started_) return;
    if (!wait(0)) TerminateProcess(pi_.hProcess, 9);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
}

bool Process::wait(DWORD ms) {
    return started_ && WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0;
}

int Process::exitCode() const {
    DWORD code = 0;
    if (!started_ || WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(pi_.hProcess, &code))
        return -1;
    return (int)code;
}

int run(const std::string& commandLine, DWORD timeoutMs, const char* workDir) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = commandLine;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, workDir, &si, &pi)) {
        // Said, so that a run that never started is told from one that failed.
        std::fprintf(stderr, "run: %s could not be started: error %lu\n", commandLine.c_str(),
                     (unsigned long)GetLastError());
        return -1;
    }
    Handle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return (int)code;
}

HWND findWindowOf(DWORD pid, const char* cls, const char* caption) {
    for (HWND h = FindWindowExA(nullptr, nullptr, cls, caption); h;
         h = FindWindowExA(nullptr, h, cls, caption)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid && IsWindowVisible(h)) return h;
    }
    return nullptr;
}

void pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        LONG left = (LONG)(end - GetTickCount());
        if (left <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, (DWORD)left, QS_ALLINPUT);
    }
}

std::string windowText(HWND hwnd) {
    char buf[4096] = {};
    GetWindowTextA(hwnd, buf, sizeof buf);
    return buf;
}

std::string controlText(HWND dialog, int id) {
    return windowText(GetDlgItem(dialog, id));
}

DialogDriver::DialogDriver() {
    hook_ = SetWindowsHookExA(WH_CBT, hook, nullptr, GetCurrentThreadId());
    activeDriver = this;
}

DialogDriver::~DialogDriver() {
    if (hook_) UnhookWindowsHookEx(hook_);
    activeDriver = nullptr;
}

void DialogDriver::answer(Answer a) {
    answers_.push_back(std::move(a));
}

LRESULT CALLBACK DialogDriver::hook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE && activeDriver) activeDriver->onActivate((HWND)wp);
    if (code == HCBT_CREATEWND && activeDriver && activeDriver->refuse_) {
        char cls[32] = {};
        GetClassNameA((HWND)wp, cls, sizeof cls);
        if (lstrcmpA(cls, "#32770") == 0) {
            activeDriver->refuse_ = false;
            ++activeDriver->refused;
            return 1; // the window is not created
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

void DialogDriver::onActivate(HWND hwnd) {
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") != 0) return;
    for (const SeenDialog& s : seen)
        if (s.hwnd == hwnd) return; // activated again when a box over it closes
    // A message box's icon control is 0x14 on Windows and 0x440 under Wine.
    HICON icon = (HICON)SendDlgItemMessageA(hwnd, 0x14, STM_GETICON, 0, 0);
    if (!icon) icon = (HICON)SendDlgItemMessageA(hwnd, 0x440, STM_GETICON, 0, 0);
    SeenDialog d{hwnd, windowText(hwnd), {}, GetWindow(hwnd, GW_OWNER), icon};
    for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char ccls[32] = {};
        GetClassNameA(c, ccls, sizeof ccls);
        if (lstrcmpiA(ccls, "Static") == 0 && !windowText(c).empty())
            d.texts.push_back(windowText(c));
    }
    seen.push_back(d);
    if (answers_.empty()) return;
    Answer a = answers_.front();
    answers_.erase(answers_.begin());
    int id = a(d);
    if (id)
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(hwnd, id));
}

std::vector<SeenDialog> dialogsOtherThan(const DialogDriver& driver,
                                         std::initializer_list<const char*> captions) {
    std::vector<SeenDialog> out;
    for (const SeenDialog& d : driver.seen)
        if (std::none_of(captions.begin(), captions.end(),
                         [&](const char* c) { return d.caption == c; }))
            out.push_back(d);
    return out;
}

bool isBox(const SeenDialog& box, const std::string& text, const std::string& caption, UINT mbIcon,
           HWND owner) {
    return box.texts == std::vector<std::string>{text} && box.caption == caption &&
           box.icon == systemIcon(mbIcon) && box.owner == owner;
}

HICON systemIcon(UINT mbIcon) {
    switch (mbIcon & MB_ICONMASK) {
    case MB_ICONINFORMATION:
        return LoadIconA(nullptr, (LPCSTR)IDI_INFORMATION);
    case MB_ICONEXCLAMATION:
        return LoadIconA(nullptr, (LPCSTR)IDI_EXCLAMATION);
    case MB_ICONERROR:
        return LoadIconA(nullptr, (LPCSTR)IDI_ERROR);
    case MB_ICONQUESTION:
        return LoadIconA(nullptr, (LPCSTR)IDI_QUESTION);
    default:
        return nullptr;
    }
}

namespace {
std::vector<WhenVisible*> waiting;

struct FindArgs {
    const std::string* caption;
    HWND found;
};

// Allocates nothing: it may run while a test makes allocations fail.
BOOL CALLBACK findVisible(HWND h, LPARAM lp) {
    auto* a = reinterpret_cast<FindArgs*>(lp);
    char cls[32] = {}, caption[256] = {};
    GetClassNameA(h, cls, sizeof cls);
    GetWindowTextA(h, caption, sizeof caption);
    if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(h) &&
        lstrcmpA(caption, a->caption->c_str()) == 0) {
        a->found = h;
        return FALSE;
    }
    return TRUE;
}
} // namespace

WhenVisible::WhenVisible(std::string caption, std::function<void(HWND)> fn)
    : caption_(std::move(caption)), fn_(std::move(fn)) {
    waiting.push_back(this);
    deadline_ = GetTickCount() + 15000;
    timer_ = SetTimer(nullptr, 0, 30, tick);
}

WhenVisible::~WhenVisible() {
    KillTimer(nullptr, timer_);
    waiting.erase(std::remove(waiting.begin(), waiting.end(), this), waiting.end());
    if (gaveUp_) {
        MSG m;
        while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
}

void CALLBACK WhenVisible::tick(HWND, UINT, UINT_PTR id, DWORD) {
    for (size_t i = 0; i < waiting.size(); ++i) {
        WhenVisible* w = waiting[i];
        if (w->timer_ != id || w->ran_) continue;
        FindArgs a{&w->caption_, nullptr};
        EnumThreadWindows(GetCurrentThreadId(), findVisible, (LPARAM)&a);
        if (!a.found) {
            if ((LONG)(GetTickCount() - w->deadline_) > 0) {
                w->gaveUp_ = true;
                KillTimer(nullptr, w->timer_);
                PostQuitMessage(98);
            }
            continue;
        }
        w->ran_ = true;
        KillTimer(nullptr, w->timer_);
        w->fn_(a.found);
        return; // the callback may have changed the list
    }
}

void setControlText(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextA(dialog, id, text.c_str());
}

bool isChecked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void clickTab(HWND tab, int index) {
    RECT r = {};
    SendMessageA(tab, TCM_GETITEMRECT, (WPARAM)index, (LPARAM)&r);
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(tab, WM_LBUTTONUP, 0, at);
}

void clickControl(HWND control) {
    RECT r = {};
    GetClientRect(control, &r);
    LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(control, WM_LBUTTONUP, 0, at);
}

void pressF1(HWND window) {
    HWND root = GetAncestor(window, GA_ROOT);
    SetForegroundWindow(root);
    SetFocus(window);
    if (GetForegroundWindow() == root) {
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
    } else {
        // Another program holds the keyboard: the message the system makes
        // of an F1 key, WM_KEYF1, goes to the window instead.
        PostMessageA(window, 0x004D /* WM_KEYF1 */, 0, 0);
    }
    pump(200);
}

void chooseInFolderBrowser(HWND browser, const std::string& folder) {
    // The browser fills its tree while it opens: the selection is made
    // again once that has settled, then OK is pressed.
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)folder.c_str());
    pump(300);
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)folder.c_str());
    pump(100);
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

EnvironmentSetting::EnvironmentSetting(const char* name, const std::string& value) : name_(name) {
    char old[32767];
    DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
    had_ = n > 0 && n < sizeof old;
    if (had_) old_.assign(old, n);
    SetEnvironmentVariableA(name, value.c_str());
}

EnvironmentSetting::~EnvironmentSetting() {
    SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr);
}

} // namespace testkit
