// Prompts that wait for typed input, as a command or a LISP evaluation asks
// for a point: the host's message loop runs on meanwhile, so timers tick,
// windows paint and typed lines arrive.
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
    for (;;) {
        if (self.answered) {
            input = self.input;
            return true;
        }
        if (cancelRequested()) return false;
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            WaitMessage();
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam); // for the loop below this one
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace cadhost
