// Waiting inside a command: the host's message loop runs on meanwhile, so
// timers tick, windows paint and typed lines arrive. Prompts wait for typed
// input, as a command or a LISP evaluation asks for a point.
#include "internal.h"

namespace cadhost {

namespace {

struct Prompt {
    bool answered = false;
    std::string input;
};
std::vector<Prompt*> prompts;

} // namespace

bool promptWaiting() {
    return !prompts.empty();
}

bool answerPrompt(const std::string& line) {
    if (prompts.empty()) return false;
    Prompt* p = prompts.back();
    p->answered = true;
    p->input = line;
    return true;
}

bool waitForInput(const std::string& prompt, std::string& input) {
    printLine(prompt);
    transcript("prompt %s", prompt.c_str());
    Prompt self;
    prompts.push_back(&self);
    struct Pop {
        ~Pop() { prompts.pop_back(); }
    } pop;
    scriptWantsStep(); // a running script types the next line
    if (!dispatchUntil([&] { return self.answered; }, INFINITE)) return false;
    input = self.input;
    return true;
}

bool dispatchUntil(const std::function<bool()>& done, DWORD waitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done && done()) return true;
        if (cancelRequested()) return false;
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage((int)msg.wParam); // for the loop below this one
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        if (waitMs == INFINITE) {
            WaitMessage();
            continue;
        }
        const DWORD waited = GetTickCount() - start;
        if (waited >= waitMs) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs - waited, QS_ALLINPUT);
    }
}

} // namespace cadhost
