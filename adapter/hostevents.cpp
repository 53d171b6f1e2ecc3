// The host's events passed on to the core: the editor's and the document
// manager's reactors, and the module's command, each a plain call through
// the core's notification table.
#include <windows.h>
#include "acdocman.h"
#include "aced.h"
#include "acrx.h"
#include "adapter/adapter.h"

namespace {

const char kCommandGroup[] = "Tarnel_Commands";
const char kOptionsCommand[] = "tarnel_opt";

const TarnelCoreEvents* events = 0;

TarnelDrawing currentDrawing() {
    AcApDocManager* manager = acDocManagerPtr();
    return manager ? reinterpret_cast<TarnelDrawing>(manager->curDocument()) : 0;
}

TarnelDrawing handle(AcApDocument* doc) {
    return reinterpret_cast<TarnelDrawing>(doc);
}

// The editor's events, for the current drawing.
class EditorEvents : public AcEditorReactor {
  public:
    virtual void commandWillStart(const char* name) {
        if (events) events->commandWillStart(events->core, currentDrawing(), name);
    }
    virtual void commandEnded(const char* name) {
        if (events) events->commandEnded(events->core, currentDrawing(), name);
    }
    virtual void commandCancelled(const char* name) {
        if (events) events->commandCancelled(events->core, currentDrawing(), name);
    }
    virtual void commandFailed(const char* name) {
        if (events) events->commandFailed(events->core, currentDrawing(), name);
    }
    virtual void lispWillStart(const char* expression) {
        if (events) events->lispWillStart(events->core, currentDrawing(), expression);
    }
    virtual void lispEnded() {
        if (events) events->lispEnded(events->core, currentDrawing());
    }
    virtual void lispCancelled() {
        if (events) events->lispCancelled(events->core, currentDrawing());
    }
};

class DrawingEvents : public AcApDocManagerReactor {
  public:
    virtual void documentCreated(AcApDocument* doc) {
        if (events) events->drawingCreated(events->core, handle(doc));
    }
    virtual void documentToBeDestroyed(AcApDocument* doc) {
        if (events) events->drawingToBeDestroyed(events->core, handle(doc));
    }
    virtual void documentActivated(AcApDocument* doc) {
        if (events) events->drawingActivated(events->core, handle(doc));
    }
};

EditorEvents* editorEvents = 0;
DrawingEvents* drawingEvents = 0;
AcEditor* editor = 0;
AcApDocManager* manager = 0;

void optionsCommand() {
    if (events) events->optionsCommand(events->core);
}

AcEdCommandStack* commandStack() {
    return static_cast<AcEdCommandStack*>(
        hostService("ACAD_REGISTERED_COMMANDS", "AcEdCommandStack"));
}

} // namespace

AcRxObject* hostService(const char* entry, const char* className) {
    AcRxObject* found = acrxSysRegistry()->at(entry);
    AcRxObject* classes = acrxSysRegistry()->at("ClassDictionary");
    if (!found || !classes || !classes->isKindOf(AcRxDictionary::desc())) return 0;
    AcRxObject* cls = static_cast<AcRxDictionary*>(classes)->at(className);
    if (!cls || !cls->isKindOf(AcRxClass::desc())) return 0;
    AcRxClass* actual = found->isA();
    return actual && actual->isDerivedFrom(static_cast<AcRxClass*>(cls)) ? found : 0;
}

void attachHostEvents(const TarnelCoreEvents* coreEvents) {
    events = coreEvents;
    if (AcEdCommandStack* stack = commandStack())
        stack->addCommand(kCommandGroup, kOptionsCommand, kOptionsCommand, ACRX_CMD_MODAL,
                          optionsCommand, 0, -1, 0, 0);
    editor = static_cast<AcEditor*>(hostService("AcEditor", "AcEditor"));
    if (editor && !editorEvents) {
        editorEvents = new EditorEvents;
        editor->addReactor(editorEvents);
    }
    manager = acDocManagerPtr();
    if (manager && !drawingEvents) {
        drawingEvents = new DrawingEvents;
        manager->addReactor(drawingEvents);
    }
}

void detachHostEvents() {
    if (AcEdCommandStack* stack = commandStack()) stack->removeGroup(kCommandGroup);
    if (editorEvents) {
        if (editor) editor->removeReactor(editorEvents);
        delete editorEvents;
        editorEvents = 0;
    }
    if (drawingEvents) {
        if (manager) manager->removeReactor(drawingEvents);
        delete drawingEvents;
        drawingEvents = 0;
    }
    events = 0;
}
