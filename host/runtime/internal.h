// Shared state of the stand-in host runtime; not part of its interface.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "acdocman.h"
#include "aced.h"
#include "afxshim.h"
#include "cadhost.h"

namespace cadhost {

class Document;

class Database : public AcDbDatabase {
  public:
    explicit Database(Document& doc) : doc_(doc) {}
    Acad::ErrorStatus saveAs(const char* fileName) override;

  private:
    Document& doc_;
};

class Document : public AcApDocument {
  public:
    Document(int id, std::string path) : id(id), path(std::move(path)), db(*this) {}
    const char* fileName() const override;
    AcDbDatabase* database() const override { return const_cast<Database*>(&db); }
    // A running command, or a script that has not reached an idle directive.
    bool isQuiescent() const override;
    // Whether the document faults of the test controls apply to this one.
    bool faulty() const;
    void pushDbmod() override { dbmodStack.push_back(dbmod); }
    void popDbmod() override;

    const int id;
    std::string path;
    std::vector<std::string> entities;
    int dbmod = 0;
    std::vector<int> dbmodStack;
    int busy = 0;
    AcAp::DocLockMode lock = AcAp::kNone;
    Database db;
};

class DocManager : public AcApDocManager {
  public:
    AcApDocument* curDocument() const override { return current; }
    Acad::ErrorStatus unlockDocument(AcApDocument* doc) override;
    AcApDocumentIterator* newAcApDocumentIterator() override;
    void addReactor(AcApDocManagerReactor* reactor) override;
    void removeReactor(AcApDocManagerReactor* reactor) override;
    Acad::ErrorStatus setCurDocument(AcApDocument* doc, AcAp::DocLockMode mode,
                                     bool activate) override;
    Acad::ErrorStatus closeDocument(AcApDocument* doc) override;
    void executeInApplicationContext(AcApApplicationContextFn fn, void* data) override;
    int documentCount() const override { return (int)docs.size(); }
    void pushResourceHandle(HINSTANCE handle) override;
    void popResourceHandle() override;
    bool isApplicationContext() const override { return appContextDepth > 0; }
    Acad::ErrorStatus sendStringToExecute(AcApDocument* doc, const char* text, bool activate,
                                          bool wrapUpInactiveDoc, bool echoString) override;

    Document* find(const AcApDocument* doc) const;
    Document* findById(int id) const;
    Document* add(const std::string& path);
    void notify(const std::function<void(AcApDocManagerReactor*)>& fn);

    std::vector<std::unique_ptr<Document>> docs;
    Document* current = nullptr;
    std::vector<AcApDocManagerReactor*> reactors;
    std::vector<HINSTANCE> resourceStack;
    int appContextDepth = 0;
    int nextId = 1;
    int nextUnnamed = 1;
};
DocManager& docManager();

class Editor : public AcEditor {
  public:
    void addReactor(AcEditorReactor* reactor) override;
    void removeReactor(AcEditorReactor* reactor) override;
    // Calls fn on every reactor registered now and still registered when its turn comes.
    void notify(const char* event, const char* arg,
                const std::function<void(AcEditorReactor*)>& fn);
    std::vector<AcEditorReactor*> reactors;
};
Editor& editor();

struct RegisteredCommand {
    std::string group;
    std::string globalName;
    std::string localName;
    AcRxFunctionPtr function;
};

class CommandStack : public AcEdCommandStack {
  public:
    Acad::ErrorStatus addCommand(const char* groupName, const char* globalName,
                                 const char* localName, int flags, AcRxFunctionPtr function,
                                 void* uiContext, int functionCode, HINSTANCE resourceHandle,
                                 void** commandOut) override;
    Acad::ErrorStatus removeGroup(const char* groupName) override;
    const RegisteredCommand* lookup(const std::string& upperName) const;
    std::vector<RegisteredCommand> commands;
};
CommandStack& commandStack();

struct Module {
    std::string path;
    std::string name;
    HMODULE handle = nullptr;
    AcRxEntryPointFn entry = nullptr;
    bool locked = false;
    bool mdiAware = false;
};
// Sends a message to every loaded module.
void broadcast(AcRx::AppMsgCode msg);
Module* findModule(void* appId);

// True while a script runs and is not waiting in "@idle": its document is
// busy as with a running command.
extern bool scriptRunning;
// Asks the script runner for its next line, when a script runs and no step
// is on its way yet: a prompt that waits takes its input from the script.
void scriptWantsStep();

// Typed input for commands and evaluations that ask for it. waitForInput
// prints the prompt and runs the message loop until a line is typed for it
// (true, the line in input; an empty line is Enter) or the user cancels, or
// the host ends (false). Prompts nest: a line goes to the innermost.
bool waitForInput(const std::string& prompt, std::string& input);
// The message loop run inside a command until done() (true), a cancel or
// the host's end (false), or waitMs gone by (true); with waitMs 0 it takes
// what waits and returns. done may be empty.
bool dispatchUntil(const std::function<bool()>& done, DWORD waitMs);
bool promptWaiting();
// Gives a typed line to the innermost waiting prompt; false when none waits.
bool answerPrompt(const std::string& line);

// What runs in the current drawing, as the CMDACTIVE bits and the CMDNAMES
// names show it.
int commandActiveBits();
std::string activeCommandNames();
// Modal dialogs of the host open now.
extern int hostDialogsOpen;
// The host's options dialog, modal over the main window; true for OK.
bool runOptionsDialog();
// The main window's message that runs the strings sent for execution.
const UINT kExecuteStrings = WM_APP + 2;
// Runs the strings sent for execution that wait, unless a modal dialog of
// the host is open.
void runPendingStrings();
// Strings sent for execution that wait for the host to take input again
// (its modal dialog closed); posts them to the main window once more.
void resumeExecuteStrings();
// Runs a string sent for execution: each ^C (the character 3 or the two
// characters) cancels, every other line is typed.
void executeString(const std::string& text);
// True while something runs that a cancel ends.
bool somethingRuns();

// Main window pieces.
void refreshDrawingList();
void printLine(const std::string& text);
bool cancelRequested();
void clearCancel();
void requestCancel();

std::string upper(std::string s);
std::string baseName(const std::string& path);

} // namespace cadhost
