#include "idle/closeaction.h"
#include <memory>
#include "acdocman.h"
#include "aced.h"
#include "afxshim.h"
#include "cmdlog/journal.h"
#include "common/scopeguard.h"
#include "common/shield.h"
#include "idle/freename.h"
#include "idle/idletimer.h"
#include "idle/messagepump.h"
#include "idle/rescuefolder.h"
#include "idle/savename.h"
#include "idle/sessionreport.h"
#include "shell/sysvar.h"
#include "settings/guardsettings.h"

namespace {

bool drawingStillModified() {
    int dbmod = 0;
    return shortSysVar("dbmod", dbmod) && dbmod != 0;
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

// What became of one drawing.
struct Outcome {
    bool saved = false; // to its target, or discarded as the action says
    std::string rescue; // the rescue copy written instead, if any
};

// Saves or discards one locked, current drawing as the action says. A save
// that fails goes to a rescue copy on the local disk.
Outcome saveOrDiscard(AcApDocument* doc, AcDbDatabase* db, int action, const std::string& fileName,
                      const std::string& target) {
    Outcome out;
    // No free name to save under counts as a save that failed.
    if (action == QuitWithoutSaving || (!target.empty() && saveDrawing(doc, db, target))) {
        out.saved = true;
        return out;
    }
    std::string rescue = rescueTargetFor(fileName);
    if (!rescue.empty() && saveDrawing(doc, db, rescue)) out.rescue = rescue;
    return out;
}

void closeEveryDrawing() {
    const GuardSettings* settings = idleSettings();
    AcApDocManager* manager = acDocManagerPtr();
    if (!settings || !manager) return;
    const int action = settings->getAction();
    std::unique_ptr<AcApDocumentIterator> it(manager->newAcApDocumentIterator());
    if (!it) return;
    // Once a drawing went to a rescue copy, the next start tells of that
    // rather than of a drawing after it that was saved as usual.
    bool rescueMessageLeft = false;
    for (; !it->done(); it->step()) {
        AcApDocument* doc = it->document();
        const char* fileName = doc ? doc->fileName() : nullptr;
        AcDbDatabase* db = doc ? doc->database() : nullptr;
        // A drawing the host gives no name or database for cannot be saved:
        // it stays open, as one whose save failed does, and the others go on.
        if (!doc || !fileName || !db) {
            journal(JournalEvent(journalevent::kLeftOpen)
                        .withDrawing(fileName ? fileName : "")
                        .withAction(action)
                        .withStatus(0)
                        .withDetail("the host gave no file name or database"));
            continue;
        }
        manager->setCurDocument(doc, AcAp::kWrite, false);
        std::string target;
        Outcome outcome;
        {
            // The lock goes on every way out, a failed allocation included.
            auto unlock = onScopeExit([&] { manager->unlockDocument(doc); });
            buildSaveName(action, fileName, target);
            outcome = saveOrDiscard(doc, db, action, fileName, target);
        }
        // A drawing saved neither to its target nor to a rescue copy stays
        // open with its changes.
        const bool rescued = !outcome.rescue.empty();
        // Journaled before the close: the name is the drawing's own.
        if (rescued)
            journal(JournalEvent(journalevent::kRescued)
                        .withDrawing(fileName)
                        .withAction(action)
                        .withStatus(0)
                        .withDetail(outcome.rescue));
        else if (outcome.saved)
            journal(JournalEvent(journalevent::kClosed)
                        .withDrawing(fileName)
                        .withAction(action)
                        .withStatus(1)
                        .withDetail(target));
        else
            journal(JournalEvent(journalevent::kLeftOpen)
                        .withDrawing(fileName)
                        .withAction(action)
                        .withStatus(0)
                        .withDetail("could not be saved to " + target));
        if (outcome.saved || rescued) manager->closeDocument(doc);
        // A report that fails costs only the report, not the other drawings.
        shielded([&] {
            if (rescued)
                reportRescuedDrawing(target, action, outcome.rescue);
            else
                reportClosedDrawing(target, action, outcome.saved ? 1 : 0,
                                    rescueMessageLeft ? MessageChoice::KeepEarlier
                                                      : MessageChoice::Replace);
        });
        rescueMessageLeft = rescueMessageLeft || rescued;
        pumpWaitingMessage();
    }
    it.reset();
    if (manager->documentCount() == 0) {
        journalHostClosed();
        SendMessageA(adsw_acadMainWnd(), WM_CLOSE, 0, 0);
    }
}

// A seat left open with drawings in it is watched again from zero, so the
// countdown comes again after a full wait. Not after an unload.
void watchAgainIfLeftOpen() {
    AcApDocManager* manager = acDocManagerPtr();
    if (manager && manager->documentCount() != 0) restartIdleTimer();
}

} // namespace

void buildSaveName(int action, const std::string& fileName, std::string& target) {
    std::string workDir;
    const bool ownFolder = hasOwnFolder(fileName);
    if (action == SaveToOtherDrawing || (action == SaveToCurrentDrawing && !ownFolder)) {
        char dir[MAX_PATH] = {};
        DWORD n = GetCurrentDirectoryA(MAX_PATH, dir);
        if (n > 0 && n < MAX_PATH) workDir = dir;
    }
    target = saveNameIn(action, fileName, workDir);
    // A drawing that never had a file of its own is never written over a
    // file that is there already: it takes the first free name.
    if (!ownFolder && !target.empty()) target = firstFreeName(target);
}

void runCloseAction(void*) {
    // A host callback: nothing thrown here may reach the host. A drawing
    // whose turn was cut short stays open, and so does the host.
    shielded([] { closeEveryDrawing(); });
    forgetCancelledBeforeClose(); // told in this close's messages
    shielded([] { watchAgainIfLeftOpen(); });
}
