// Typed command lines: built-in commands, module commands, LISP evaluations.
#include <algorithm>
#include <functional>
#include <map>
#include <cstdlib>
#include <cstring>
#include "internal.h"

namespace cadhost {

namespace {

struct Running {
    std::string name;
    int docId;
    bool transparent; // started inside another command
    bool registered;  // a module's command
};
std::vector<Running> running;
std::vector<int> lispDocs;
// Module commands running now: CMDACTIVE shows a LISP evaluation (32) only
// to a caller inside one of them, as the host documents it.
int moduleCommandDepth = 0;

void markBusy(int docId, int delta) {
    if (Document* d = docManager().findById(docId)) d->busy += delta;
}

int currentDocId() {
    return docManager().current ? docManager().current->id : 0;
}

Document* needDocument() {
    Document* d = docManager().current;
    if (!d) printLine("No drawing is open.");
    return d;
}

Outcome delay(const std::vector<std::string>& args) {
    long ms = args.empty() ? 0 : std::strtol(args[0].c_str(), nullptr, 10);
    if (ms < 0) ms = 0;
    return dispatchUntil(nullptr, (DWORD)ms) ? Outcome::Ended : Outcome::Cancelled;
}

void addEntity(Document* d, const std::string& name, const std::vector<std::string>& args) {
    std::string e = name;
    for (const std::string& a : args)
        e += " " + a;
    d->entities.push_back(e);
    d->dbmod |= 1;
    refreshDrawingList();
}

Outcome draw(const std::string& name, const std::vector<std::string>& args) {
    Document* d = needDocument();
    if (!d) return Outcome::Failed;
    addEntity(d, name, args);
    return Outcome::Ended;
}

// LINE typed without points asks for them, one prompt each, until Enter; a
// cancel keeps the segments already drawn, as the host does.
Outcome lineByPrompts() {
    Document* d = needDocument();
    if (!d) return Outcome::Failed;
    const int id = d->id;
    std::vector<std::string> points;
    std::string input;
    bool ended = false;
    while (waitForInput(points.empty() ? "Specify first point:" : "Specify next point or [Undo]:",
                        input)) {
        if (input.empty()) {
            ended = true;
            break;
        }
        points.push_back(input);
    }
    d = docManager().findById(id);
    if (d && points.size() >= 2) addEntity(d, "LINE", points);
    return ended ? Outcome::Ended : Outcome::Cancelled;
}

// The calculator, transparent: it asks for an expression when given none.
Outcome calculate(const std::vector<std::string>& args) {
    std::string expression;
    if (!args.empty())
        expression = args[0];
    else if (!waitForInput(">> Expression:", expression))
        return Outcome::Cancelled;
    printLine(expression.empty() ? "0" : expression);
    return Outcome::Ended;
}

// A regeneration that computes for ms milliseconds: the processor works all
// the time and the waiting messages are handled every 15 ms, as a host's
// progress bar lets them be.
Outcome regenerate(const std::vector<std::string>& args) {
    long ms = args.empty() ? 0 : std::strtol(args[0].c_str(), nullptr, 10);
    if (ms < 0) ms = 0;
    const DWORD start = GetTickCount();
    volatile unsigned work = 0;
    while (GetTickCount() - start < (DWORD)ms) {
        const DWORD slice = GetTickCount();
        while (GetTickCount() - slice < 15)
            for (int i = 0; i < 10000; ++i)
                work = work * 1103515245u + 12345u;
        if (!dispatchUntil(nullptr, 0)) return Outcome::Cancelled;
    }
    printLine("Regenerating model.");
    return Outcome::Ended;
}

Outcome erase() {
    Document* d = needDocument();
    if (!d) return Outcome::Failed;
    if (d->entities.empty()) {
        printLine("Nothing to erase.");
        return Outcome::Ended;
    }
    d->entities.pop_back();
    d->dbmod |= 1;
    return Outcome::Ended;
}

Outcome save(const std::vector<std::string>& args, bool rename) {
    Document* d = needDocument();
    if (!d) return Outcome::Failed;
    std::string target = args.empty() ? d->path : args[0];
    if (d->db.saveAs(target.c_str()) != Acad::eOk) return Outcome::Failed;
    if (rename) {
        char full[MAX_PATH];
        DWORD n = GetFullPathNameA(target.c_str(), MAX_PATH, full, nullptr);
        d->path = (n > 0 && n < MAX_PATH) ? full : target;
        refreshDrawingList();
    }
    return Outcome::Ended;
}

using Args = std::vector<std::string>;
using Builtin = std::function<Outcome(const Args&)>;

Outcome ended(bool ok) {
    return ok ? Outcome::Ended : Outcome::Failed;
}

// The host's own commands by name.
const std::map<std::string, Builtin>& builtins() {
    static const std::map<std::string, Builtin> table = {
        {"LINE", [](const Args& a) { return draw("LINE", a); }},
        {"CIRCLE", [](const Args& a) { return draw("CIRCLE", a); }},
        {"ERASE", [](const Args&) { return erase(); }},
        {"ZOOM", [](const Args&) { return Outcome::Ended; }},
        {"PAN", [](const Args&) { return Outcome::Ended; }},
        {"DELAY", delay},
        {"REGEN", regenerate},
        {"CAL", calculate},
        {"DDOPTIONS",
         [](const Args&) { return runOptionsDialog() ? Outcome::Ended : Outcome::Cancelled; }},
        {"NEW", [](const Args&) { return ended(newDrawing() != nullptr); }},
        {"OPEN", [](const Args& a) { return ended(!a.empty() && openDrawing(a[0].c_str())); }},
        {"SAVE", [](const Args& a) { return save(a, false); }},
        {"SAVEAS", [](const Args& a) { return a.empty() ? Outcome::Failed : save(a, true); }},
        {"CLOSE",
         [](const Args&) {
             Document* d = needDocument();
             return ended(d && docManager().closeDocument(d) == Acad::eOk);
         }},
        {"QUIT",
         [](const Args&) {
             if (HWND w = adsw_acadMainWnd()) PostMessageA(w, WM_CLOSE, 0, 0);
             return Outcome::Ended;
         }},
        {"APPLOAD", [](const Args& a) { return ended(!a.empty() && loadModule(a[0].c_str())); }},
        {"ARXLOAD", [](const Args& a) { return ended(!a.empty() && loadModule(a[0].c_str())); }},
        {"ARXUNLOAD",
         [](const Args& a) { return ended(!a.empty() && unloadModule(a[0].c_str())); }},
    };
    return table;
}

bool runCommand(const std::string& typed, const std::vector<std::string>& rawArgs,
                bool interactive = false);

// Runs the command's arguments: "^C" cancels it there, "'NAME" runs a
// transparent command inside it; the rest are its own arguments.
bool collectArgs(const std::vector<std::string>& rawArgs, std::vector<std::string>& args) {
    for (const std::string& a : rawArgs) {
        if (a == "^C") return false;
        if (a.size() > 1 && a[0] == '\'')
            runCommand(a.substr(1), {});
        else
            args.push_back(a);
    }
    return true;
}

// interactive: typed on the command line (or by a script), where a command
// given no arguments asks for them.
bool runCommand(const std::string& typed, const std::vector<std::string>& rawArgs,
                bool interactive) {
    std::string name = upper(typed);
    if (!name.empty() && (name[0] == '_' || name[0] == '.')) name.erase(0, 1);
    const RegisteredCommand* registered = commandStack().lookup(name);
    auto builtin = builtins().find(name);
    if (builtin == builtins().end() && !registered) {
        editor().notify("unknownCommand", name.c_str(),
                        [&](AcEditorReactor* r) { r->unknownCommand(name.c_str(), nullptr); });
        printLine("Unknown command \"" + name + "\".");
        return false;
    }
    transcript("command %s", name.c_str());
    beginCommand(name.c_str());
    std::vector<std::string> args;
    Outcome outcome = Outcome::Cancelled;
    if (collectArgs(rawArgs, args)) {
        if (registered) {
            struct Inside {
                Inside() { ++moduleCommandDepth; }
                ~Inside() { --moduleCommandDepth; }
            } inside;
            registered->function();
            outcome = Outcome::Ended;
        } else if (interactive && name == "LINE" && args.empty()) {
            outcome = lineByPrompts();
        } else {
            outcome = builtin->second(args);
        }
        if (cancelRequested()) outcome = Outcome::Cancelled;
    }
    endCommand(outcome);
    return outcome == Outcome::Ended;
}

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isspace((unsigned char)line[i]))
            ++i;
        size_t j = i;
        while (j < line.size() && !isspace((unsigned char)line[j]))
            ++j;
        if (j > i) words.push_back(line.substr(i, j - i));
        i = j;
    }
    return words;
}

// The (command ...) and (getpoint ...) calls of an expression in their
// order, each as its words, the function's name first; a "^C" word stands
// for a cancel at that point.
size_t nextCall(const std::string& expr, size_t from, std::string& function) {
    size_t command = expr.find("(command", from), point = expr.find("(getpoint", from);
    if (point < command) {
        function = "getpoint";
        return point;
    }
    function = "command";
    return command;
}

std::vector<std::vector<std::string>> commandCalls(const std::string& expr) {
    std::vector<std::vector<std::string>> calls;
    size_t pos = 0;
    std::string function;
    while ((pos = nextCall(expr, pos, function)) != std::string::npos) {
        pos += 1 + function.size();
        std::vector<std::string> words;
        while (pos < expr.size() && expr[pos] != ')') {
            char c = expr[pos];
            if (c == '"') {
                size_t end = expr.find('"', pos + 1);
                if (end == std::string::npos) end = expr.size();
                std::string w = expr.substr(pos + 1, end - pos - 1);
                if (!w.empty()) words.push_back(w);
                pos = end + 1;
            } else if (isspace((unsigned char)c)) {
                ++pos;
            } else {
                size_t end = pos;
                while (end < expr.size() && !isspace((unsigned char)expr[end]) && expr[end] != ')')
                    ++end;
                words.push_back(expr.substr(pos, end - pos));
                pos = end;
            }
        }
        if (function == "getpoint") words.insert(words.begin(), "(getpoint");
        calls.push_back(words);
    }
    return calls;
}

bool runLisp(const std::string& expr) {
    transcript("lisp %s", expr.c_str());
    beginLisp(expr.c_str());
    bool cancelled = false;
    for (const std::vector<std::string>& call : commandCalls(expr)) {
        if (call.empty()) continue;
        if (call[0] == "^C") {
            cancelled = true;
            break;
        }
        if (call[0] == "(getpoint") { // waits for a point, with its own prompt if given
            std::string point;
            if (!waitForInput(call.size() > 1 ? call[1] : "Specify point:", point) ||
                cancelRequested()) {
                cancelled = true;
                break;
            }
            continue;
        }
        // A cancel inside the call cancels its command and the evaluation.
        std::vector<std::string> args(call.begin() + 1, call.end());
        bool cancelHere = std::find(args.begin(), args.end(), "^C") != args.end();
        runCommand(call[0], args);
        if (cancelHere || cancelRequested()) {
            cancelled = true;
            break;
        }
    }
    endLisp(cancelled);
    return !cancelled;
}

} // namespace

void beginCommand(const char* name) {
    int id = currentDocId();
    const std::string n = name ? name : "";
    running.push_back({n, id, !running.empty(), commandStack().lookup(upper(n)) != nullptr});
    markBusy(id, +1);
    editor().notify("commandWillStart", name,
                    [&](AcEditorReactor* r) { r->commandWillStart(name); });
}

void endCommand(Outcome outcome) {
    if (running.empty()) return;
    Running r = running.back();
    running.pop_back();
    markBusy(r.docId, -1);
    if (!somethingRuns()) clearCancel(); // a cancel ends everything that ran
    const char* n = r.name.c_str();
    switch (outcome) {
    case Outcome::Ended:
        editor().notify("commandEnded", n, [&](AcEditorReactor* x) { x->commandEnded(n); });
        break;
    case Outcome::Cancelled:
        printLine("*Cancel*");
        editor().notify("commandCancelled", n, [&](AcEditorReactor* x) { x->commandCancelled(n); });
        break;
    case Outcome::Failed:
        editor().notify("commandFailed", n, [&](AcEditorReactor* x) { x->commandFailed(n); });
        break;
    }
}

void beginLisp(const char* firstLine) {
    int id = currentDocId();
    lispDocs.push_back(id);
    markBusy(id, +1);
    editor().notify("lispWillStart", firstLine,
                    [&](AcEditorReactor* r) { r->lispWillStart(firstLine); });
}

void endLisp(bool cancelled) {
    if (lispDocs.empty()) return;
    markBusy(lispDocs.back(), -1);
    lispDocs.pop_back();
    if (!somethingRuns()) clearCancel();
    if (cancelled)
        editor().notify("lispCancelled", nullptr, [](AcEditorReactor* r) { r->lispCancelled(); });
    else
        editor().notify("lispEnded", nullptr, [](AcEditorReactor* r) { r->lispEnded(); });
}

bool somethingRuns() {
    return !running.empty() || !lispDocs.empty() || promptWaiting();
}

int commandActiveBits() {
    const int id = currentDocId();
    int bits = 0;
    for (const Running& r : running) {
        if (r.docId != id) continue;
        bits |= r.transparent ? 2 : 1;
        if (r.registered) bits |= 64;
    }
    if (scriptRunning) bits |= 4;
    if (hostDialogsOpen > 0) bits |= 8;
    if (moduleCommandDepth > 0 && std::find(lispDocs.begin(), lispDocs.end(), id) != lispDocs.end())
        bits |= 32;
    return bits;
}

std::string activeCommandNames() {
    const int id = currentDocId();
    std::string names;
    for (const Running& r : running)
        if (r.docId == id) names += (names.empty() ? "" : "'") + r.name;
    return names;
}

bool executeLine(const char* line) {
    if (!line) return false;
    std::string s(line);
    size_t a = s.find_first_not_of(" \t\r\n");
    s = a == std::string::npos ? std::string() : s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
    // A waiting prompt takes the line, but a transparent command ('NAME).
    if (promptWaiting() && !(s.size() > 1 && s[0] == '\'')) {
        printLine(s.empty() ? "<Enter>" : s);
        return answerPrompt(s);
    }
    if (s.empty()) return true;
    printLine((promptWaiting() ? ">>" : "Command: ") + s);
    if (s[0] == '(') return runLisp(s);
    std::vector<std::string> words = splitWords(s);
    const bool transparent = words[0][0] == '\'';
    return runCommand(transparent ? words[0].substr(1) : words[0],
                      std::vector<std::string>(words.begin() + 1, words.end()), true);
}

} // namespace cadhost
