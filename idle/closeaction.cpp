#include "idle/closeaction.h"
#include <memory>
#include "acdocman.h"
#include "aced.h"
#include "afxshim.h"
#include "common/scopeguard.h"
#include "common/shield.h"
#include "idle/messagepump.h"
#include "idle/savename.h"
#include "shell/guardapp.h"
#include "settings/guardsettings.h"

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
    pumpOneMessage(acedGetAcadWinApp());
}

void closeEveryDrawing() {
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
        bool saved;
        {
            // The lock goes on every way out, a failed allocation included.
            auto unlock = onScopeExit([&] { manager->unlockDocument(doc); });
            buildSaveName(action, fileName, target);
            saved = action == QuitWithoutSaving || saveDrawing(doc, db, target);
        }
        // A drawing whose save failed stays open with its changes.
        if (saved) manager->closeDocument(doc);
        // A report that fails costs only the report, not the other drawings.
        if (GuardApp* app = guardApp())
            shielded([&] { app->writeSessionReport(target, action, saved ? 1 : 0); });
        handleOneMessage();
    }
    it.reset();
    if (manager->documentCount() == 0) SendMessageA(adsw_acadMainWnd(), WM_CLOSE, 0, 0);
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
    // A host callback: nothing thrown here may reach the host. A drawing
    // whose turn was cut short stays open, and so does the host.
    shielded([] { closeEveryDrawing(); });
}
