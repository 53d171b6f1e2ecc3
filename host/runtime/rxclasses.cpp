// Run-time class descriptors and the host's system registry.
#include <cstring>
#include <map>
#include <string>
#include "internal.h"

namespace {

AcRxClass* makeClass(const char* name, AcRxClass* parent) {
    return new AcRxClass(name, parent);
}

class Dictionary : public AcRxDictionary {
  public:
    AcRxObject* at(const char* key) const override;
    std::map<std::string, AcRxObject*> entries;
};

class DynamicLinker : public AcRxDynamicLinker {
  public:
    bool registerAppMDIAware(void* appId) override {
        cadhost::Module* m = cadhost::findModule(appId);
        if (!m) return false;
        m->mdiAware = true;
        cadhost::transcript("module %s is MDI-aware", m->name.c_str());
        return true;
    }
};

// Stands in for a registry entry of an unexpected class.
class StrayObject : public AcRxObject {};

Dictionary& classDictionary();

Dictionary& sysRegistry() {
    static Dictionary* d = [] {
        auto* reg = new Dictionary;
        reg->entries["ClassDictionary"] = &classDictionary();
        reg->entries["DynamicLinker"] = new DynamicLinker;
        reg->entries["ACAD_REGISTERED_COMMANDS"] = &cadhost::commandStack();
        reg->entries["AcEditor"] = &cadhost::editor();
        return reg;
    }();
    return *d;
}

Dictionary& classDictionary() {
    static Dictionary* d = [] {
        auto* dict = new Dictionary;
        for (AcRxClass* c :
             {AcRxObject::desc(), AcRxClass::desc(), AcRxDictionary::desc(),
              AcRxDynamicLinker::desc(), AcEdCommandStack::desc(), AcEditor::desc(),
              AcEditorReactor::desc(), AcApDocManagerReactor::desc(), AcApDocManager::desc()})
            dict->entries[c->name()] = c;
        return dict;
    }();
    return *d;
}

AcRxObject* Dictionary::at(const char* key) const {
    if (!key) return nullptr;
    const cadhost::Faults& f = cadhost::faults();
    if (f.missingEntry && std::strcmp(f.missingEntry, key) == 0) return nullptr;
    if (f.wrongClassEntry && std::strcmp(f.wrongClassEntry, key) == 0) {
        static StrayObject stray;
        return &stray;
    }
    auto it = entries.find(key);
    return it == entries.end() ? nullptr : it->second;
}

} // namespace

AcRxObject::~AcRxObject() = default;
AcRxClass* AcRxObject::isA() const {
    return desc();
}
AcRxObject* AcRxObject::clone() const {
    return nullptr;
}
Acad::ErrorStatus AcRxObject::copyFrom(const AcRxObject*) {
    return Acad::eNotApplicable;
}
bool AcRxObject::isEqualTo(const AcRxObject* other) const {
    return other == this;
}
AcRx::Ordering AcRxObject::comparedTo(const AcRxObject*) const {
    return AcRx::kNotOrderable;
}
AcRxClass* AcRxObject::desc() {
    static AcRxClass* c = makeClass("AcRxObject", nullptr);
    return c;
}
bool AcRxObject::isKindOf(const AcRxClass* cls) const {
    return isA()->isDerivedFrom(cls);
}

AcRxClass::AcRxClass(const char* name, AcRxClass* parent) : name_(name), parent_(parent) {}
AcRxClass* AcRxClass::isA() const {
    return desc();
}
AcRxClass* AcRxClass::desc() {
    static AcRxClass* c = makeClass("AcRxClass", AcRxObject::desc());
    return c;
}
bool AcRxClass::isDerivedFrom(const AcRxClass* other) const {
    for (const AcRxClass* c = this; c; c = c->parent_)
        if (c == other) return true;
    return false;
}

#define HOST_CLASS(Name, Parent)                                                                   \
    AcRxClass* Name::isA() const {                                                                 \
        return desc();                                                                             \
    }                                                                                              \
    AcRxClass* Name::desc() {                                                                      \
        static AcRxClass* c = makeClass(#Name, Parent::desc());                                    \
        return c;                                                                                  \
    }
HOST_CLASS(AcRxDictionary, AcRxObject)
HOST_CLASS(AcRxDynamicLinker, AcRxObject)
HOST_CLASS(AcEdCommandStack, AcRxObject)
HOST_CLASS(AcEditor, AcRxObject)
HOST_CLASS(AcEditorReactor, AcRxObject)
HOST_CLASS(AcApDocManagerReactor, AcRxObject)
HOST_CLASS(AcApDocManager, AcRxObject)

AcRxDictionary* acrxSysRegistry() {
    return &sysRegistry();
}

bool acrxBuildClassHierarchy() {
    return true;
}

bool acrxLockApplication(void* appId) {
    cadhost::Module* m = cadhost::findModule(appId);
    if (!m) return false;
    m->locked = true;
    cadhost::transcript("module %s locked", m->name.c_str());
    return true;
}

bool acrxUnlockApplication(void* appId) {
    cadhost::Module* m = cadhost::findModule(appId);
    if (!m) return false;
    m->locked = false;
    return true;
}

const char* acrxProductKey() {
    return cadhost::kProductKey;
}

// Editor reactor and document reactor defaults: nothing.
void AcEditorReactor::beginDwgOpen(const char*) {}
void AcEditorReactor::endDwgOpen(const char*) {}
void AcEditorReactor::beginClose(AcDbDatabase*) {}
void AcEditorReactor::beginSave(AcDbDatabase*, const char*) {}
void AcEditorReactor::saveComplete(AcDbDatabase*, const char*) {}
void AcEditorReactor::unknownCommand(const char*, void*) {}
void AcEditorReactor::commandWillStart(const char*) {}
void AcEditorReactor::commandEnded(const char*) {}
void AcEditorReactor::commandCancelled(const char*) {}
void AcEditorReactor::commandFailed(const char*) {}
void AcEditorReactor::lispWillStart(const char*) {}
void AcEditorReactor::lispEnded() {}
void AcEditorReactor::lispCancelled() {}
void AcEditorReactor::beginQuit() {}
void AcEditorReactor::quitWillStart() {}

void AcApDocManagerReactor::documentCreateStarted(AcApDocument*) {}
void AcApDocManagerReactor::documentCreated(AcApDocument*) {}
void AcApDocManagerReactor::documentToBeDestroyed(AcApDocument*) {}
void AcApDocManagerReactor::documentDestroyed(const char*) {}
void AcApDocManagerReactor::documentLockModeChanged(AcApDocument*, AcAp::DocLockMode,
                                                    AcAp::DocLockMode) {}
void AcApDocManagerReactor::documentBecameCurrent(AcApDocument*) {}
void AcApDocManagerReactor::documentToBeActivated(AcApDocument*) {}
void AcApDocManagerReactor::documentActivated(AcApDocument*) {}

AcApDocumentIterator::~AcApDocumentIterator() = default;
