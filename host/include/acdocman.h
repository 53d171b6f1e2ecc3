// Documents and the document manager of the host.
#pragma once
#include <windows.h>
#include "acdb.h"

namespace AcAp {
enum DocLockMode {
    kNone = 0x00,
    kAutoWrite = 0x01,
    kNotLocked = 0x02,
    kWrite = 0x04,
    kProtectedAutoWrite = 0x14,
    kRead = 0x20,
    kXWrite = 0x40
};
}

class HOST_API AcApDocument : public AcRxObject {
  public:
    virtual const char* fileName() const = 0;
    virtual AcDbDatabase* database() const = 0;
    // False while a command, LISP evaluation or script command runs in it.
    virtual bool isQuiescent() const = 0;
    virtual void pushDbmod() = 0;
    virtual void popDbmod() = 0;
};

class HOST_API AcApDocumentIterator {
  public:
    virtual ~AcApDocumentIterator();
    virtual bool done() = 0;
    virtual void step() = 0;
    virtual AcApDocument* document() = 0;
};

class HOST_API AcApDocManagerReactor : public AcRxObject {
  public:
    AcRxClass* isA() const;
    static AcRxClass* desc();
    virtual void documentCreateStarted(AcApDocument* doc);
    virtual void documentCreated(AcApDocument* doc);
    virtual void documentToBeDestroyed(AcApDocument* doc);
    virtual void documentDestroyed(const char* fileName);
    virtual void documentLockModeChanged(AcApDocument* doc, AcAp::DocLockMode oldMode,
                                         AcAp::DocLockMode newMode);
    virtual void documentBecameCurrent(AcApDocument* doc);
    virtual void documentToBeActivated(AcApDocument* doc);
    virtual void documentActivated(AcApDocument* doc);
};

typedef void (*AcApApplicationContextFn)(void* data);

class HOST_API AcApDocManager : public AcRxObject {
  public:
    AcRxClass* isA() const;
    static AcRxClass* desc();
    virtual AcApDocument* curDocument() const = 0;
    virtual Acad::ErrorStatus unlockDocument(AcApDocument* doc) = 0;
    virtual AcApDocumentIterator* newAcApDocumentIterator() = 0;
    virtual void addReactor(AcApDocManagerReactor* reactor) = 0;
    virtual void removeReactor(AcApDocManagerReactor* reactor) = 0;
    virtual Acad::ErrorStatus setCurDocument(AcApDocument* doc,
                                             AcAp::DocLockMode mode = AcAp::kNone,
                                             bool activate = false) = 0;
    virtual Acad::ErrorStatus closeDocument(AcApDocument* doc) = 0;
    virtual void executeInApplicationContext(AcApApplicationContextFn fn, void* data) = 0;
    virtual int documentCount() const = 0;
    virtual void pushResourceHandle(HINSTANCE handle) = 0;
    virtual void popResourceHandle() = 0;
    virtual bool isApplicationContext() const = 0;
    // Queues text for the document as typed input, taken when the host
    // next takes input; the character 3 (^C) cancels what runs there.
    virtual Acad::ErrorStatus sendStringToExecute(AcApDocument* doc, const char* text,
                                                  bool activate = true,
                                                  bool wrapUpInactiveDoc = false,
                                                  bool echoString = true) = 0;
};

HOST_API AcApDocManager* acDocManagerPtr();
