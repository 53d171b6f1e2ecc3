// The host's editor: command stack, editor events, main window and printing.
#pragma once
#include <windows.h>
#include "acdb.h"

class CWinApp;

typedef void (*AcRxFunctionPtr)();

#define ACRX_CMD_MODAL 0x00000000
#define ACRX_CMD_TRANSPARENT 0x00000001

class HOST_API AcEdCommandStack : public AcRxObject {
  public:
    AcRxClass* isA() const;
    static AcRxClass* desc();
    virtual Acad::ErrorStatus addCommand(const char* groupName, const char* globalName,
                                         const char* localName, int flags, AcRxFunctionPtr function,
                                         void* uiContext = 0, int functionCode = -1,
                                         HINSTANCE resourceHandle = 0,
                                         void** commandOut = 0) = 0;
    virtual Acad::ErrorStatus removeGroup(const char* groupName) = 0;
};

// Editor events, in the order the host declares them.
class HOST_API AcEditorReactor : public AcRxObject {
  public:
    AcRxClass* isA() const;
    static AcRxClass* desc();
    virtual void beginDwgOpen(const char* fileName);
    virtual void endDwgOpen(const char* fileName);
    virtual void beginClose(AcDbDatabase* db);
    virtual void beginSave(AcDbDatabase* db, const char* intendedName);
    virtual void saveComplete(AcDbDatabase* db, const char* actualName);
    virtual void unknownCommand(const char* cmdStr, void* reserved);
    virtual void commandWillStart(const char* cmdStr);
    virtual void commandEnded(const char* cmdStr);
    virtual void commandCancelled(const char* cmdStr);
    virtual void commandFailed(const char* cmdStr);
    virtual void lispWillStart(const char* firstLine);
    virtual void lispEnded();
    virtual void lispCancelled();
    virtual void beginQuit();
    virtual void quitWillStart();
};

class HOST_API AcEditor : public AcRxObject {
  public:
    AcRxClass* isA() const;
    static AcRxClass* desc();
    virtual void addReactor(AcEditorReactor* reactor) = 0;
    virtual void removeReactor(AcEditorReactor* reactor) = 0;
};

HOST_API HWND adsw_acadMainWnd();
HOST_API CWinApp* acedGetAcadWinApp();
// Prints to the host's command line history.
HOST_API int acutPrintf(const char* format, ...);
