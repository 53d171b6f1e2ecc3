// Cached descriptors of host classes, and checked casts of host objects.
#pragma once
#include "acrx.h"

class AcEdCommandStack;
class AcEditor;

AcRxClass* commandStackClass();
AcRxClass* editorClass();
AcRxClass* editorReactorClass();
AcRxClass* docManagerReactorClass();

// obj as a T when its class derives from cls; null otherwise.
template <typename T> T* hostCast(AcRxObject* obj, AcRxClass* cls) {
    if (!obj || !cls) return nullptr;
    AcRxClass* actual = obj->isA();
    return actual && actual->isDerivedFrom(cls) ? static_cast<T*>(obj) : nullptr;
}

// The host's registered command stack and editor, or null.
AcEdCommandStack* hostCommandStack();
AcEditor* hostEditor();
