// A test-only module: records every host message and editor or document
// notification in the host's transcript, and offers commands that exercise
// host services so that tests can read the outcome there.
#include <cstdio>
#include <string>
#include "acdocman.h"
#include "aced.h"
#include "cadhost.h"

namespace {

void* appId = nullptr;

#define NOTE(...) cadhost::transcript("probe " __VA_ARGS__)

class EditorProbe : public AcEditorReactor {
  public:
    void unknownCommand(const char* c, void*) override { NOTE("unknownCommand %s", c); }
    void commandWillStart(const char* c) override { NOTE("commandWillStart %s", c); }
    void commandEnded(const char* c) override {
        NOTE("commandEnded %s", c);
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
            s->addCommand("PROBE", "PROBEUNLOCK", "PROBEUNLOCK", 0, cmdUnlock);
        }
        if (AcEditor* e = theEditor()) e->addReactor(&editorProbe);
        acDocManagerPtr()->addReactor(&docProbe);
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
