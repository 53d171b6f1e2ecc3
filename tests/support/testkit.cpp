#include "testkit.h"
#include <cstdio>

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

std::string registryString(const std::string& key, const char* name) {
    char buf[4096] = {};
    DWORD size = sizeof buf - 1;
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS)
        return "(none)";
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
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, workDir, &si, &pi))
        return -1;
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
    SeenDialog d{hwnd, windowText(hwnd), {}};
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

} // namespace testkit
