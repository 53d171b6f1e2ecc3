#include "idle/idletimer.h"
#include <algorithm>
#include "cmdlog/journal.h"
#include "common/shield.h"
#include "common/testseam.h"
#include "common/textformat.h"
#include "idle/closeaction.h"
#include "idle/countdowndialog.h"
#include "idle/hostwaiting.h"
#include "idle/inputwatch.h"
#include "idle/licensegate.h"
#include "idle/messagepump.h"
#include "idle/sessionreport.h"
#include "resources/resource.h"
#include "shell/hostcalls.h"
#include "settings/guardsettings.h"
#include "shell/resourcescope.h"
#include "shell/stringloader.h"

namespace {

IdleTimer state = {};
// The settings the watch was started with; they live until endIdleWatch.
const GuardSettings* watchSettings = nullptr;
void (*minuteHook)() = nullptr;
int ticksToMinute = 60;
// What waited in the host at the last tick; empty when nothing did.
std::string lastWaiting;

// Activity or a stop ends the wait for cancelled commands; what they were
// is no longer news for a close.
void stopCancelling() {
    if (!state.cancelling) return;
    state.cancelling = false;
    forgetCancelledBeforeClose();
}

void killTimer() {
    if (state.timerId != 0) {
        KillTimer(nullptr, state.timerId);
        state.timerId = 0;
    }
}

HWND countdownHwnd() {
    return state.countdownWindow ? state.countdownWindow->GetSafeHwnd() : nullptr;
}

void updateCountdown(int remaining) {
    if (!state.countdownWindow) {
        showCountdown();
        if (state.countdownWindow) {
            state.countdownShown = true;
            journal(JournalEvent(journalevent::kCountdown)
                        .withSeconds(remaining)
                        .withDetail(licenseNote()));
        }
    }
    if (!state.countdownWindow) return;
    std::string text =
        formatText(loadStringOr(IDS_COUNTDOWN_TEXT, kCountdownFallback).c_str(), remaining);
    if (HWND w = countdownHwnd()) SetDlgItemTextA(w, IDC_COUNTDOWN_TEXT, text.c_str());
    pumpMessages();
    // The pump may have run a handler that closed the window.
    if (remaining % 5 == 0 && state.countdownWindow) {
        MessageBeep(MB_ICONEXCLAMATION);
        testseam::countdownSignal("beep", remaining);
        auto flash = [remaining] {
            if (HWND w = countdownHwnd()) {
                FlashWindow(w, TRUE);
                testseam::countdownSignal("flash", remaining);
            }
        };
        flash();
        Sleep(testseam::switches().flashPauseMs);
        flash();
    }
}

// The one line of a quiet stretch that ended some other way than by the
// end of the idle time: a minute or more, or one that showed the countdown.
void journalStretchEnd() {
    if (!state.stretchJournaled && (state.idleSeconds >= 60 || state.countdownShown))
        journal(JournalEvent(journalevent::kQuiet).withSeconds(state.idleSeconds));
    state.stretchJournaled = true;
}

// Whatever the count was doing stops, and a new stretch starts from zero.
void startStretch() {
    ++state.generation;
    stopCancelling();
    closeCountdown();
    forgetLicenseQuestion();
    state.closeAt = 0;
    state.idleSeconds = 0;
    state.countdownShown = false;
    state.stretchJournaled = false;
}

// The end of the idle time: kExpired, or kWouldExpire in a trial run.
void journalExpired(const char* event) {
    journal(JournalEvent(event)
                .withSeconds(state.idleSeconds)
                .withDetail(std::to_string(host::drawingCount()) + " drawings"));
}

// What a close would do now: one line per drawing, with whether it was
// modified (known for the current drawing only) and the action.
void journalWouldClose(const std::vector<TarnelDrawing>& busy, int action) {
    journalExpired(journalevent::kWouldExpire);
    if (!busy.empty())
        for (const std::string& what : whatWaits(busy))
            journal(JournalEvent(journalevent::kWouldCancel).withDetail(what));
    std::vector<TarnelDrawing> docs;
    openDocuments(docs);
    const TarnelDrawing current = host::currentDrawing();
    for (TarnelDrawing doc : docs) {
        std::string name;
        if (!host::fileName(doc, name)) continue;
        int dbmod = 0;
        const char* modified = doc != current                    ? "modified unknown"
                               : !host::shortVar("DBMOD", dbmod) ? ""
                               : dbmod != 0                   ? "modified"
                                                              : "not modified";
        journal(JournalEvent(journalevent::kWouldClose)
                    .withDrawing(name)
                    .withAction(action)
                    .withDetail(modified));
    }
}

void startCloseAction() {
    stopIdleTimer(); // also keeps ticks nested in the close action out
    if (host::drawingCount() != 0)
        host::inApplicationContext(runCloseAction, nullptr);
    else
        runCloseAction(nullptr);
}

// The end of the idle time with the host waiting: what waits is cancelled,
// and the close action runs at a later tick, once every drawing is quiet.
void beginCancelling(const std::vector<TarnelDrawing>& busy) {
    closeCountdown();
    state.cancelling = true;
    state.cancelTicks = 0;
    const std::vector<std::string> cancelled = cancelWhatWaits(busy);
    for (const std::string& what : cancelled)
        journal(JournalEvent(journalevent::kWaitingCancelled).withDetail(what));
    reportCancelledBeforeClose(cancelled);
}

// A tick while cancelling: the cancels are taken by the loop the tick came
// from, so the drawings can only be quiet at a later tick.
void whileCancelling() {
    ++state.cancelTicks;
    std::vector<TarnelDrawing> busy;
    if (!busyDocuments(busy)) return;
    if (busy.empty()) {
        state.cancelling = false;
        startCloseAction();
        return;
    }
    if (state.cancelTicks < kCancelWaitTicks) return;
    const std::string what = busyDescription(busy.front());
    resetIdle(); // watch again from zero; nothing was closed
    reportStayedBusy(what);
    journal(
        JournalEvent(journalevent::kLeftOpen).withDetail(what + " stayed busy after the cancel"));
}

void tick() {
    if (state.timerId == 0) return; // a tick queued before the timer stopped
    if (--ticksToMinute <= 0) {
        ticksToMinute = 60;
        if (minuteHook) minuteHook();
    }
    const GuardSettings* settings = watchSettings;
    const bool cancelWaiting = settings && settings->getCancelWaiting();
    // Every tick starts a new window, so each measures the second before
    // it; a seat that never closes a waiting host never asks.
    const bool threadQuiet = cancelWaiting && uiThreadQuietSinceLastLook();
    if (inputSinceLastLook()) { // counted keyboard and mouse input since the last tick
        resetIdle();
        return;
    }
    if (state.cancelling) {
        whileCancelling();
        return;
    }
    // A busy drawing is activity, unless the host only waits for its user
    // and the seat is set to close such a host too. What waits must be what
    // waited at the tick before: a command, prompt or dialog that came in
    // the last second is the user's doing. No iterator: no count, no reset.
    std::vector<TarnelDrawing> busy;
    if (!busyDocuments(busy)) return;
    const std::string waiting =
        busy.empty() || !cancelWaiting ? std::string() : waitingState(busy);
    const bool sameAsBefore = !waiting.empty() && waiting == lastWaiting;
    lastWaiting = waiting;
    if (!busy.empty() && !(sameAsBefore && threadQuiet)) {
        resetIdle();
        return;
    }
    ++state.idleSeconds;
    if (!settings) return;
    const int total = settings->getTimeInactivity() * 60;
    const int countdown = settings->getTimeCountdown();
    const bool asksServer = asksLicenseServer(*settings);
    // The second the close comes at: the idle time's end, with the countdown
    // in its last seconds. With the licence server asked, a full countdown
    // after the answer that said to close (the seat stays open while
    // licences are free). A stretch already past its end when it is first
    // looked at so (a shorter timeout, or no server, set by a policy
    // refresh under it) gets a full countdown from now as well.
    if (state.closeAt == 0 && !state.countdownWindow) {
        if (asksServer) {
            if (state.idleSeconds < total) return;
            if (!licenseSaysClose(state.idleSeconds, *settings)) return;
            state.closeAt = state.idleSeconds + countdown;
            if (settings->getDryRun()) journalWouldClose(busy, settings->getAction());
        } else if (state.idleSeconds > total) {
            state.closeAt = state.idleSeconds + countdown;
        }
    }
    const int closeAt = state.closeAt != 0 ? state.closeAt : total;
    // A trial run shows nothing and closes nothing: it journals what it
    // would close and the count goes on, so the stretch runs to its end.
    if (settings->getDryRun()) {
        if (!asksServer && state.idleSeconds == total)
            journalWouldClose(busy, settings->getAction());
        return;
    }
    const unsigned generation = state.generation;
    if (state.idleSeconds > closeAt - countdown)
        updateCountdown(std::max(0, closeAt - state.idleSeconds));
    // A click on Cancel or Disable, or any other activity, handled by the
    // pump above wins over the close action.
    if (state.generation != generation) return;
    if (state.idleSeconds >= closeAt) {
        // Input that came while the last second was shown wins too.
        if (inputSinceLastLook()) {
            resetIdle();
            return;
        }
        journalExpired(journalevent::kExpired);
        state.stretchJournaled = true; // a cancel that gives up starts the next
        if (!busy.empty())
            beginCancelling(busy);
        else
            startCloseAction();
    }
}

} // namespace

bool cancellingWaits() {
    return state.cancelling;
}

const IdleTimer& idleTimerState() {
    return state;
}

const GuardSettings* idleSettings() {
    return watchSettings;
}

void onEveryMinute(void (*hook)()) {
    minuteHook = hook;
    ticksToMinute = 60;
}

void startIdleTimer(const GuardSettings& settings) {
    watchSettings = &settings;
    restartIdleTimer();
}

void followCountInput() {
    const GuardSettings* settings = watchSettings;
    if (!settings || state.timerId == 0) {
        stopInputWatch(); // no watch without the count
        return;
    }
    if (settings->getCountInput() == inputWatchRunning()) return;
    if (settings->getCountInput())
        startInputWatch();
    else
        stopInputWatch();
}

void restartIdleTimer() {
    if (!watchSettings) return; // the watch has ended
    killTimer();           // a second start must not leave a second timer counting
    state.timerId = SetTimer(nullptr, 0, 1000, idleTick);
    stopInputWatch(); // a watch started afresh, with the count
    followCountInput();
    restartLoadWatch();
    lastWaiting.clear();
    startStretch(); // the stop before it journaled the stretch it ended
}

void stopIdleTimer() {
    ++state.generation;
    stopCancelling();
    forgetLicenseQuestion();
    if (state.timerId != 0) journalStretchEnd(); // the options' OK, Disable, the unload
    stopInputWatch();
    closeCountdown();
    killTimer();
}

void endIdleWatch() {
    stopIdleTimer();
    watchSettings = nullptr;
}

void resetIdle() {
    if (state.timerId != 0) journalStretchEnd(); // activity ended it
    startStretch();
}

void closeCountdown() {
    if (CountdownDialog* w = state.countdownWindow) {
        state.countdownWindow = nullptr;
        if (w->GetSafeHwnd())
            w->DestroyWindow(); // deletes the object
        else
            delete w;
    }
}

void adoptCountdown(CountdownDialog* window) {
    state.countdownWindow = window;
}

void forgetCountdown(const CountdownDialog* window) {
    if (state.countdownWindow == window) state.countdownWindow = nullptr;
}

void CALLBACK idleTick(HWND, UINT, UINT_PTR, DWORD) {
    shielded([] {
        ResourceScope scope;
        tick();
    });
}
