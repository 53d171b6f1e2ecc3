#include "idletimer.h"
#include <memory>
#include "acdocman.h"
#include "afxshim.h"
#include "closeaction.h"
#include "countdowndialog.h"
#include "guardapp.h"
#include "guardsettings.h"
#include "resource.h"
#include "resourcescope.h"
#include "stringloader.h"
#include "textformat.h"

IdleTimer& idleTimer() {
    static IdleTimer state = {};
    return state;
}

void startIdleTimer() {
    idleTimer().timerId = SetTimer(nullptr, 0, 1000, idleTick);
    resetIdle();
}

void stopIdleTimer() {
    IdleTimer& t = idleTimer();
    ++t.generation;
    closeCountdown();
    if (t.timerId != 0) {
        KillTimer(nullptr, t.timerId);
        t.timerId = 0;
    }
}

void resetIdle() {
    IdleTimer& t = idleTimer();
    ++t.generation;
    closeCountdown();
    t.idleSeconds = 0;
}

void closeCountdown() {
    IdleTimer& t = idleTimer();
    if (CountdownDialog* w = t.countdownWindow) {
        t.countdownWindow = nullptr;
        if (w->GetSafeHwnd())
            w->DestroyWindow(); // deletes the object
        else
            delete w;
    }
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!AfxGetApp()->PumpMessage()) {
            PostQuitMessage(0);
            return;
        }
    }
}

namespace {

// True when a document is busy: a command or evaluation runs in it.
bool anyDocumentBusy(AcApDocumentIterator* it) {
    for (; !it->done(); it->step()) {
        AcApDocument* doc = it->document();
        if (doc && !doc->isQuiescent()) return true;
    }
    return false;
}

void updateCountdown(int remaining) {
    IdleTimer& t = idleTimer();
    if (!t.countdownWindow) showCountdown();
    if (!t.countdownWindow) return;
    std::string text =
        formatText(loadStringOr(IDS_COUNTDOWN_TEXT, kCountdownFallback).c_str(), remaining);
    if (HWND w = t.countdownWindow->GetSafeHwnd())
        SetDlgItemTextA(w, IDC_COUNTDOWN_TEXT, text.c_str());
    pumpMessages();
    if (remaining % 5 == 0 && t.countdownWindow) {
        HWND w = t.countdownWindow->GetSafeHwnd();
        MessageBeep(MB_ICONEXCLAMATION);
        if (w) FlashWindow(w, TRUE);
        Sleep(500);
        if (t.countdownWindow && (w = t.countdownWindow->GetSafeHwnd())) FlashWindow(w, TRUE);
    }
}

void tick() {
    IdleTimer& t = idleTimer();
    if (t.timerId == 0) return; // a tick queued before the timer stopped
    AcApDocManager* manager = acDocManagerPtr();
    std::unique_ptr<AcApDocumentIterator> it(manager ? manager->newAcApDocumentIterator()
                                                     : nullptr);
    if (!it) return;
    if (anyDocumentBusy(it.get())) {
        resetIdle();
        return;
    }
    it.reset();
    ++t.idleSeconds;
    GuardSettings* settings = appSettings();
    if (!settings) return;
    const int total = settings->getTimeInactivity() * 60;
    const int countdown = settings->getTimeCountdown();
    const unsigned generation = t.generation;
    if (t.idleSeconds > total - countdown) updateCountdown(total - t.idleSeconds);
    // A click on Cancel or Disable, or any other activity, handled by the
    // pump above wins over the close action.
    if (t.generation != generation) return;
    if (t.idleSeconds / 60 == settings->getTimeInactivity()) {
        stopIdleTimer(); // also keeps ticks nested in the close action out
        if (manager->documentCount() != 0)
            manager->executeInApplicationContext(runCloseAction, nullptr);
        else
            runCloseAction(nullptr);
    }
}

} // namespace

void CALLBACK idleTick(HWND, UINT, UINT_PTR, DWORD) {
    try {
        ResourceScope scope;
        tick();
    } catch (...) {
        // A tick never lets anything reach the host's message loop.
    }
}
