// Helpers shared by the tests: folders and files, child processes, and a
// driver that sees dialogs appear on the test's thread and answers them.
#pragma once
#include <windows.h>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace testkit {

// Folder of the running test executable (where the built binaries lie).
std::string binDir();
// A new empty folder for one test, below the build tree.
std::string freshDir(const std::string& name);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
std::vector<std::string> lines(const std::string& text);
// The names of the files (not folders) in dir, in the order listed.
std::vector<std::string> filesIn(const std::string& dir);
// Lines of text that start with prefix, in order.
std::vector<std::string> linesStarting(const std::string& text, const std::string& prefix);
// Runs a command line and waits; its exit code, or -1 when it did not start
// or was killed after timeoutMs.
int run(const std::string& commandLine, DWORD timeoutMs, const char* workDir = nullptr);
// A visible top-level window of the given class (and caption, unless null)
// that belongs to process pid; null when there is none.
HWND findWindowOf(DWORD pid, const char* cls, const char* caption = nullptr);
// Pumps this thread's messages for about ms milliseconds.
void pump(DWORD ms);

// The string value name under root\key, or "(none)" when missing.
std::string registryString(const std::string& key, const char* name, HKEY root = HKEY_CURRENT_USER);
void setRegistryString(const std::string& key, const char* name, const std::string& text);
void deleteRegistryValue(const std::string& key, const char* name);

// A child process, ended when the object goes if it still runs.
class Process {
  public:
    Process(std::string commandLine, const std::string& workDir);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    bool started() const { return started_; }
    DWORD id() const { return pi_.dwProcessId; }
    // True when the process has ended within ms.
    bool wait(DWORD ms);
    // Its exit status once it has ended, else -1.
    int exitCode() const;

  private:
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
};

class DialogDriver;

struct SeenDialog {
    HWND hwnd;
    std::string caption;
    std::vector<std::string> texts; // static texts and the message-box text
    HWND owner;                     // the window it belongs to
    HICON icon;                     // a message box's icon, or null
};

// The system's icon of a message box type (MB_ICONINFORMATION, ...).
HICON systemIcon(UINT mbIcon);
// The dialogs a driver saw, without those of the given captions.
std::vector<SeenDialog> dialogsOtherThan(const DialogDriver& driver,
                                         std::initializer_list<const char*> captions);
// True when the box says text, with the caption, icon and owner given.
bool isBox(const SeenDialog& box, const std::string& text, const std::string& caption, UINT mbIcon,
           HWND owner);

// Sees each dialog (#32770) activated on this thread. Each answer in turn
// decides the button to press for the next dialog (0 leaves it open).
class DialogDriver {
  public:
    using Answer = std::function<int(const SeenDialog&)>;
    DialogDriver();
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    void answer(Answer a);
    void press(int buttonId) {
        answer([buttonId](const SeenDialog&) { return buttonId; });
    }
    // The next dialog is refused at creation, so the call that makes it
    // fails as it would without memory or a desktop.
    void refuseNext() { refuse_ = true; }
    std::vector<SeenDialog> seen;
    int refused = 0;

  private:
    static LRESULT CALLBACK hook(int code, WPARAM wp, LPARAM lp);
    void onActivate(HWND hwnd);
    HHOOK hook_;
    bool refuse_ = false;
    std::vector<Answer> answers_;
};

// Text of a window, or of a dialog's control.
std::string windowText(HWND hwnd);
std::string controlText(HWND dialog, int id);

// Runs fn once on the first visible dialog of this thread with that caption,
// from a thread timer: after the dialog's initialisation, as a user would.
// A dialog that has not shown up after 15 s ends the loops that wait for it
// (a WM_QUIT, removed again when the object goes), so the test fails
// instead of hanging.
class WhenVisible {
  public:
    WhenVisible(std::string caption, std::function<void(HWND)> fn);
    ~WhenVisible();
    WhenVisible(const WhenVisible&) = delete;
    WhenVisible& operator=(const WhenVisible&) = delete;
    bool ran() const { return ran_; }

  private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    std::string caption_;
    std::function<void(HWND)> fn_;
    UINT_PTR timer_;
    DWORD deadline_;
    bool ran_ = false;
    bool gaveUp_ = false;
};

// Controls driven as a user does.
void setControlText(HWND dialog, int id, const std::string& text);
bool isChecked(HWND dialog, int id);
// A real click on the tab's rectangle: the tab control sends its own
// notifications.
void clickTab(HWND tab, int index);
// A click on a control, as button down and up at its centre.
void clickControl(HWND control);
// F1 typed on the keyboard into window (made the foreground one): the
// system turns it into WM_HELP, which a posted WM_KEYDOWN does not do.
void pressF1(HWND window);
// Chooses folder in the shell's "Browse for Folder" window and presses OK.
void chooseInFolderBrowser(HWND browser, const std::string& folder);

// An environment variable of the process set while the scope lives, and put
// back (or removed) on every way out.
class EnvironmentSetting {
  public:
    EnvironmentSetting(const char* name, const std::string& value);
    ~EnvironmentSetting();
    EnvironmentSetting(const EnvironmentSetting&) = delete;
    EnvironmentSetting& operator=(const EnvironmentSetting&) = delete;

  private:
    std::string name_, old_;
    bool had_;
};

} // namespace testkit
