// The module's code in the test process with the stand-in host around it:
// the resource library attached, a main window, and start-up on demand with
// settings written to the test's own folder.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "acrx.h"
#include "port/hostport.h"
#include "cadhost.h"
#include "testkit.h"

// The adapter's entry, as the host calls it.
extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId);

namespace modtest {

// Plain settings lines written scrambled to tarnel.cfg beside the test.
void writeSettings(const std::map<std::string, std::string>& values);
// The next start's message gone, and the log faults shown with it.
void deleteRegistryMessage();
// The user's spool of log records no start could write emptied: records an
// earlier test's seat left for a folder that is gone would be written, or
// told as unwritable, at the next start of any seat of the user.
void emptySpool();
// The "Message" value, or "(none)".
std::string registryMessage();
// The report log in dir ("tarnel.log") once the log writer has written what
// it was handed, and whether it is there.
std::string reportLog(const std::string& dir);
bool reportLogExists(const std::string& dir);
void setRegistryMessage(const std::string& text);

// Host faults switched on for the life of the scope; every way out of it
// switches them all off again, so no fault outlives the check that set it.
class HostFaults {
  public:
    HostFaults() = default;
    ~HostFaults() { cadhost::faults() = {}; }
    HostFaults(const HostFaults&) = delete;
    HostFaults& operator=(const HostFaults&) = delete;
    cadhost::Faults* operator->() { return &cadhost::faults(); }
};

// The resource library's strings out of reach while the scope lives: the
// test program stands in for the library. With dialogsToo, dialog templates
// go the same way. Put back on every way out.
class ResourcesOutOfReach {
  public:
    explicit ResourcesOutOfReach(bool dialogsToo);
    ~ResourcesOutOfReach();
    ResourcesOutOfReach(const ResourcesOutOfReach&) = delete;
    ResourcesOutOfReach& operator=(const ResourcesOutOfReach&) = delete;

  private:
    HINSTANCE strings_;
    HINSTANCE dialogs_;
    bool dialogsToo_;
};

// A folder that is the working directory while the object lives, with a
// transcript of the host in it and the user's temporary folder (TMP and
// TEMP) in its "temp", so rescue copies stay inside it.
struct Workspace {
    explicit Workspace(const std::string& name);
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;
    std::string transcript() const;
    // A drawing file "CADHOST DRAWING 1" plus entity lines, opened in the host.
    AcApDocument* open(const std::string& name, const std::string& entities = "");
    std::string dir;
    std::string temp; // dir + "\\temp"
    std::string rescueDir() const { return temp + "\\Tarnel rescue"; }
    char saved[MAX_PATH] = {};

  private:
    testkit::EnvironmentSetting tmp_, temp_;
};

// The bytes of a drawing file with these entity lines.
std::string drawingBytes(const std::string& entities = "");
// n ticks of the idle timer, called as the system calls them.
void ticks(int n);
// The countdown window, or null.
HWND countdownHwnd();
// Every waiting message taken off the queue and dispatched as the host's
// loop does, but the timer's ticks: the tests give those themselves.
void takeMessages();
// Input given as a user gives it, through the system (not posted), and the
// messages it brings taken off the queue. Each waits 20 ms first: the
// system stamps input in milliseconds, and a look at it between two ticks
// must see it as new.
void giveKey(WORD vk);
void giveMouse(DWORD down, DWORD up, DWORD data = 0);
void movePointer(POINT at);
// Whether one of this process's windows is in front.
bool hostInFront();
// Puts the host's main window in front, trying for up to two seconds.
void bringHostToFront();
// Types each line in turn, the next one from inside the wait of the one
// before; body runs inside the wait of the last, given by a timer procedure
// that wait's loop dispatches. Returns when the first line's command has
// ended; a line that did not wait leaves the body unrun.
void typeAndWait(std::vector<std::string> lines, std::function<void()> body);
// Removes every WM_QUIT waiting in the thread's queue.
void dropQuit();
// How often part occurs in text.
size_t count(const std::string& text, const std::string& part);
// "dd.mm.yyyy at hh:mm:ss".
bool isTimeLine(const std::string& line);

// The page of a tabbed dialog that holds the control id.
HWND findPage(HWND dialog, int controlId);
// The titles of a tab control's tabs, in order.
std::vector<std::string> tabTitles(HWND tab);
// A click on a dialog's button, handled before the call returns.
void clickButton(HWND dialog, int id);
// The path of the module's settings file.
std::string settingsPath();

// The core opened with the adapter's table of the stand-in's operations,
// as the adapter opens it at a start; a test's look at the core between
// two starts goes through it. Its notifications.
const TarnelCoreEvents& openCore();
// A command run in the current drawing as the adapter's reactors report
// it to the core: started, then ended (a null name as the host may give).
void commandThroughPort(const char* name);

struct Module {
    // Attaches the library, creates the host's main window and deletes a
    // last-run message left by an earlier test.
    Module();
    ~Module(); // unloads when still started, closes every drawing
    void start(const std::map<std::string, std::string>& settings = {});
    void stop();
    bool started = false;
    std::string dir; // the module's folder
};

} // namespace modtest
