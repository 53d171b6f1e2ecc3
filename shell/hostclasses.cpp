#include "shell/hostclasses.h"
#include "aced.h"

namespace {

AcRxClass* lookUpClass(const char* name) {
    AcRxDictionary* classes =
        hostCast<AcRxDictionary>(acrxSysRegistry()->at("ClassDictionary"), AcRxDictionary::desc());
    if (!classes) return nullptr;
    return hostCast<AcRxClass>(classes->at(name), AcRxClass::desc());
}

AcRxClass* cached(AcRxClass*& cache, const char* name) {
    if (!cache) cache = lookUpClass(name);
    return cache;
}

AcRxClass* commandStackCache = nullptr;
AcRxClass* editorCache = nullptr;
AcRxClass* editorReactorCache = nullptr;
AcRxClass* docManagerReactorCache = nullptr;

} // namespace

AcRxClass* commandStackClass() {
    return cached(commandStackCache, "AcEdCommandStack");
}
AcRxClass* editorClass() {
    return cached(editorCache, "AcEditor");
}
AcRxClass* editorReactorClass() {
    return cached(editorReactorCache, "AcEditorReactor");
}
AcRxClass* docManagerReactorClass() {
    return cached(docManagerReactorCache, "AcApDocManagerReactor");
}

AcEdCommandStack* hostCommandStack() {
    return hostCast<AcEdCommandStack>(acrxSysRegistry()->at("ACAD_REGISTERED_COMMANDS"),
                                      commandStackClass());
}

AcEditor* hostEditor() {
    return hostCast<AcEditor>(acrxSysRegistry()->at("AcEditor"), editorClass());
}
