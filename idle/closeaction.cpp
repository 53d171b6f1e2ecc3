#include "closeaction.h"
#include <memory>
#include "acdocman.h"
#include "aced.h"
#include "afxshim.h"
#include "guardapp.h"
#include "guardsettings.h"

namespace {

bool drawingStillModified() {
    resbuf rb = {};
    return acedGetVar("dbmod", &rb) == RTNORM && rb.resval.rint != 0;
}

// Saves under target; a second save when DBMOD still says modified.
bool saveDrawing(AcApDocument* doc, AcDbDatabase* db, const std::string& target) {
    doc->pushDbmod();
    Acad::ErrorStatus first = db->saveAs(target.c_str());
    doc->popDbmod();
    if (first != Acad::eOk) return false;
    if (drawingStillModified()) return db->saveAs(target.c_str()) == Acad::eOk;
    return true;
}

// Lets the host handle one message if one is waiting; never blocks.
void handleOneMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return;
    CWinApp* app = acedGetAcadWinApp();
    if (app && !app->PumpMessage()) PostQuitMessage(0); // the host's loop must see it
}

} // namespace

void buildSaveName(int action, const std::string& fileName, std::string& target) {
    target.clear();
    std::string workDir;
    if (action == SaveToOtherDrawing) {
        char dir[MAX_PATH] = {};
        DWORD n = GetCurrentDirectoryA(MAX_PATH, dir);
        if (n > 0 && n < MAX_PATH) workDir = dir;
    }
    target = saveNameIn(action, fileName, workDir);
}

void runCloseAction(void*) {
    GuardSettings* settings = appSettings();
    AcApDocManager* manager = acDocManagerPtr();
    if (!settings || !manager) return;
    const int action = settings->getAction();
    std::unique_ptr<AcApDocumentIterator> it(manager->newAcApDocumentIterator());
    if (!it) return;
    for (; !it->done(); it->step()) {
        AcApDocument* doc = it->document();
        const char* fileName = doc ? doc->fileName() : nullptr;
        AcDbDatabase* db = doc ? doc->database() : nullptr;
        if (!doc || !fileName || !db) return;
        manager->setCurDocument(doc, AcAp::kWrite, false);
        std::string target;
        buildSaveName(action, fileName, target);
        bool saved = action == QuitWithoutSaving || saveDrawing(doc, db, target);
        manager->unlockDocument(doc);
        // A drawing whose save failed stays open with its changes.
        if (saved) manager->closeDocument(doc);
        if (GuardApp* app = guardApp()) app->writeSessionReport(target, action, saved ? 1 : 0);
        handleOneMessage();
    }
    it.reset();
    if (manager->documentCount() == 0) SendMessageA(adsw_acadMainWnd(), WM_CLOSE, 0, 0);
}
