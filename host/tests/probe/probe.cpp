// A test-only module: records every host message and editor or document
// notification in the host's transcript, and offers commands that exercise
// host services so that tests can read the outcome there.
#include <cstdio>
#include <cstdlib>
#include <string>
#include "acdocman.h"
#include "aced.h"
#include "cadhost.h"

namespace {

void* appId = nullptr;

#define NOTE(...) cadhost::transcript("probe " __VA_ARGS__)

// Processor time of this thread so far, in milliseconds.
double threadCpuMs() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    auto ms = [](const FILETIME& f) {
        return (double)(((unsigned long long)f.dwHighDateTime << 32) | f.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

// What a REGEN costs: processor time against the time it took.
double regenCpuStart = 0;
DWORD regenTickStart = 0;
int ticksInRegen = 0;

class EditorProbe : public AcEditorReactor {
  public:
    void unknownCommand(const char* c, void*) override { NOTE("unknownCommand %s", c); }
    void commandWillStart(const char* c) override {
        NOTE("commandWillStart %s", c);
        if (std::string(c) == "REGEN") {
            regenCpuStart = threadCpuMs();
            regenTickStart = GetTickCount();
            ticksInRegen = 0;
        }
    }
    void commandEnded(const char* c) override {
        NOTE("commandEnded %s", c);
        if (std::string(c) == "REGEN") {
            const DWORD took = GetTickCount() - regenTickStart;
            NOTE("regen took %s, cpu %d%%, %d ticks", took >= 500 ? "long" : "short",
                 took ? (int)((threadCpuMs() - regenCpuStart) * 100 / took) : 0, ticksInRegen);
        }
        // Whether the drawing counts as quiet once the command has ended.
        AcApDocument* d = acDocManagerPtr()->curDocument();
        cadhost::transcript("quiet after %s %d", c, d && d->isQuiescent() ? 1 : 0);
    }
    void commandCancelled(const char* c) override { NOTE("commandCancelled %s", c); }
    void commandFailed(const char* c) override { NOTE("commandFailed %s", c); }
    void lispWillStart(const char*) override { NOTE("lispWillStart"); }
    void lispEnded() override { NOTE("lispEnded"); }
    void lispCancelled() override { NOTE("lispCancelled"); }
};

class DocProbe : public AcApDocManagerReactor {
  public:
    void documentToBeDestroyed(AcApDocument* d) override {
        NOTE("documentToBeDestroyed %s", d->fileName());
    }
};

EditorProbe editorProbe;
DocProbe docProbe;

AcEditor* theEditor() {
    AcRxObject* o = acrxSysRegistry()->at("AcEditor");
    return o && o->isA()->isDerivedFrom(AcEditor::desc()) ? static_cast<AcEditor*>(o) : nullptr;
}

AcEdCommandStack* theCommandStack() {
    AcRxObject* o = acrxSysRegistry()->at("ACAD_REGISTERED_COMMANDS");
    return o && o->isA()->isDerivedFrom(AcEdCommandStack::desc())
               ? static_cast<AcEdCommandStack*>(o)
               : nullptr;
}

int dbmod() {
    resbuf rb{};
    return acedGetVar("DBMOD", &rb) == RTNORM ? rb.resval.rint : -1;
}

// Closes every drawing while iterating, from the application context.
void closeAll(void*) {
    AcApDocManager* dm = acDocManagerPtr();
    NOTE("context %d", dm->isApplicationContext() ? 1 : 0);
    AcApDocumentIterator* it = dm->newAcApDocumentIterator();
    int closed = 0;
    for (; !it->done(); it->step()) {
        AcApDocument* d = it->document();
        if (!d) continue;
        dm->setCurDocument(d, AcAp::kWrite, false);
        dm->unlockDocument(d);
        dm->closeDocument(d);
        ++closed;
    }
    delete it;
    NOTE("closed %d left %d", closed, dm->documentCount());
}

void cmdCloseAll() {
    acDocManagerPtr()->executeInApplicationContext(closeAll, nullptr);
}

void cmdContext() {
    NOTE("context %d", acDocManagerPtr()->isApplicationContext() ? 1 : 0);
}

// Saves the current drawing in place between pushDbmod and popDbmod.
void cmdDbmod() {
    AcApDocument* d = acDocManagerPtr()->curDocument();
    NOTE("dbmod before %d", dbmod());
    d->pushDbmod();
    Acad::ErrorStatus es = d->database()->saveAs(d->fileName());
    NOTE("saved %d dbmod %d", (int)es, dbmod());
    d->popDbmod();
    NOTE("dbmod after pop %d", dbmod());
}

void cmdSaveTo() {
    // The target comes from the drawing's first entity: "LINE <path>".
    AcApDocument* d = acDocManagerPtr()->curDocument();
    std::string target = std::string(d->fileName()) + ".missing\\copy.dwg";
    NOTE("saveAs missing folder %d", (int)d->database()->saveAs(target.c_str()));
    NOTE("busy %d", d->isQuiescent() ? 0 : 1);
}

std::string sysvarText(const char* name) {
    resbuf rb{};
    if (acedGetVar(name, &rb) != RTNORM) return "?";
    if (rb.restype == RTSHORT) return std::to_string(rb.resval.rint);
    std::string text = rb.resval.rstring ? rb.resval.rstring : "";
    std::free(rb.resval.rstring);
    return text;
}

BOOL CALLBACK findModal(HWND w, LPARAM found) {
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (IsWindowVisible(w) && GetWindow(w, GW_OWNER) == adsw_acadMainWnd() &&
        std::string(cls) == "#32770") {
        *(HWND*)found = w;
        return FALSE;
    }
    return TRUE;
}

// With PROBE_CANCEL set, a timer looks at what runs in the current drawing
// while no script line runs: it notes CMDACTIVE and CMDNAMES, cancels a
// modal dialog of the host with its Cancel button and sends the drawing two
// ^C to execute, once for each state it sees.
int lastState = -1;
void CALLBACK watchState(HWND, UINT, UINT_PTR, DWORD) {
    const int bits = std::atoi(sysvarText("CMDACTIVE").c_str());
    if (sysvarText("CMDNAMES") == "REGEN") ++ticksInRegen;
    AcApDocManager* dm = acDocManagerPtr();
    // A LISP evaluation alone shows no bit here: the drawing is busy.
    const bool busy = dm->curDocument() && !dm->curDocument()->isQuiescent();
    if (!busy) lastState = -1;
    if (!busy || (bits & 4) || bits == lastState) return;
    lastState = bits;
    NOTE("state %d %s", bits, sysvarText("CMDNAMES").c_str());
    HWND modal = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findModal, (LPARAM)&modal);
    if (modal) {
        char caption[64] = {};
        GetWindowTextA(modal, caption, sizeof caption);
        NOTE("dialog %s, main window enabled %d", caption,
             IsWindowEnabled(adsw_acadMainWnd()) ? 1 : 0);
        PostMessageA(modal, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     (LPARAM)GetDlgItem(modal, IDCANCEL));
    }
    NOTE("send cancel %d", (int)dm->sendStringToExecute(dm->curDocument(), "\x03\x03", false));
}

// CMDACTIVE as a module's own command sees it.
void cmdBits() {
    NOTE("bits inside %s", sysvarText("CMDACTIVE").c_str());
}

void cmdUnlock() {
    NOTE("unlock %d", acrxUnlockApplication(appId) ? 1 : 0);
}
void cmdLock() {
    NOTE("lock %d", acrxLockApplication(appId) ? 1 : 0);
}

} // namespace

extern "C" __declspec(dllexport) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* id) {
    NOTE("message %d", (int)msg);
    switch (msg) {
    case AcRx::kInitAppMsg:
        appId = id;
        acrxUnlockApplication(id);
        if (AcEdCommandStack* s = theCommandStack()) {
            s->addCommand("PROBE", "PROBECLOSEALL", "PROBECLOSEALL", 0, cmdCloseAll);
            s->addCommand("PROBE", "PROBECONTEXT", "PROBECONTEXT", 0, cmdContext);
            s->addCommand("PROBE", "PROBEDBMOD", "PROBEDBMOD", 0, cmdDbmod);
            s->addCommand("PROBE", "PROBESAVEFAIL", "PROBESAVEFAIL", 0, cmdSaveTo);
            s->addCommand("PROBE", "PROBELOCK", "PROBELOCK", 0, cmdLock);
            s->addCommand("PROBE", "PROBEBITS", "PROBEBITS", 0, cmdBits);
            s->addCommand("PROBE", "PROBEUNLOCK", "PROBEUNLOCK", 0, cmdUnlock);
        }
        if (AcEditor* e = theEditor()) e->addReactor(&editorProbe);
        acDocManagerPtr()->addReactor(&docProbe);
        if (GetEnvironmentVariableA("PROBE_CANCEL", nullptr, 0) > 0)
            SetTimer(nullptr, 0, 100, watchState);
        break;
    case AcRx::kUnloadAppMsg:
        if (AcEdCommandStack* s = theCommandStack()) s->removeGroup("PROBE");
        if (AcEditor* e = theEditor()) e->removeReactor(&editorProbe);
        acDocManagerPtr()->removeReactor(&docProbe);
        break;
    default:
        break;
    }
    return AcRx::kRetOK;
}
