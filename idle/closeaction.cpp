#include "idle/closeaction.h"
#include "cmdlog/journal.h"
#include "common/scopeguard.h"
#include "common/shield.h"
#include "idle/freename.h"
#include "idle/idletimer.h"
#include "idle/messagepump.h"
#include "idle/rescuefolder.h"
#include "idle/savename.h"
#include "idle/sessionreport.h"
#include "shell/hostcalls.h"
#include "settings/guardsettings.h"

namespace {

bool drawingStillModified() {
    int dbmod = 0;
    return host::shortVar("dbmod", dbmod) && dbmod != 0;
}

// Saves under target; a second save when DBMOD still says modified.
bool saveDrawing(TarnelDrawing doc, const std::string& target) {
    host::pushDbmod(doc);
    const bool first = host::saveAs(doc, target);
    host::popDbmod(doc);
    if (!first) return false;
    if (drawingStillModified()) return host::saveAs(doc, target);
    return true;
}

// What became of one drawing.
struct Outcome {
    bool saved = false; // to its target, or discarded as the action says
    std::string rescue; // the rescue copy written instead, if any
};

// Saves or discards one locked, current drawing as the action says. A save
// that fails goes to a rescue copy on the local disk.
Outcome saveOrDiscard(TarnelDrawing doc, int action, const std::string& fileName,
                      const std::string& target) {
    Outcome out;
    // No free name to save under counts as a save that failed.
    if (action == QuitWithoutSaving || (!target.empty() && saveDrawing(doc, target))) {
        out.saved = true;
        return out;
    }
    std::string rescue = rescueTargetFor(fileName);
    if (!rescue.empty() && saveDrawing(doc, rescue)) out.rescue = rescue;
    return out;
}

void closeEveryDrawing() {
    const GuardSettings* settings = idleSettings();
    std::vector<TarnelDrawing> drawings;
    if (!settings || !host::drawings(drawings)) return;
    const int action = settings->getAction();
    // Once a drawing went to a rescue copy, the next start tells of that
    // rather than of a drawing after it that was saved as usual.
    bool rescueMessageLeft = false;
    for (TarnelDrawing doc : drawings) {
        // One closed meanwhile, by a message the last turn pumped, is gone.
        if (doc && !host::stillOpen(doc)) continue;
        std::string fileName;
        const bool named = host::fileName(doc, fileName);
        // A drawing the host gives no name or database for cannot be saved:
        // it stays open, as one whose save failed does, and the others go on.
        if (!doc || !named || !host::hasDatabase(doc)) {
            journal(JournalEvent(journalevent::kLeftOpen)
                        .withDrawing(fileName)
                        .withAction(action)
                        .withStatus(0)
                        .withDetail("the host gave no file name or database"));
            continue;
        }
        host::makeCurrentForWrite(doc);
        std::string target;
        Outcome outcome;
        {
            // The lock goes on every way out, a failed allocation included.
            auto unlock = onScopeExit([&] { host::unlock(doc); });
            buildSaveName(action, fileName, target);
            outcome = saveOrDiscard(doc, action, fileName, target);
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
        if (outcome.saved || rescued) host::closeDrawing(doc);
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
    if (host::drawingCount() == 0) {
        journalHostClosed();
        SendMessageA(host::mainWindow(), WM_CLOSE, 0, 0);
    }
}

// A seat left open with drawings in it is watched again from zero, so the
// countdown comes again after a full wait. Not after an unload.
void watchAgainIfLeftOpen() {
    if (host::drawingCount() != 0) restartIdleTimer();
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
