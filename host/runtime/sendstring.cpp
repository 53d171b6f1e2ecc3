// Strings sent to a document for execution: queued, and run by the main
// window's message loop when the host takes input again, as if typed.
#include <deque>
#include "internal.h"

namespace cadhost {

namespace {

struct Pending {
    int docId;
    std::string text;
};
std::deque<Pending> pending;

// The text as the transcript shows it: the character 3 as ^C.
std::string shown(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == 3)
            out += "^C";
        else if (c == '\n' || c == '\r')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

} // namespace

Acad::ErrorStatus DocManager::sendStringToExecute(AcApDocument* doc, const char* text, bool, bool,
                                                  bool) {
    Document* d = find(doc);
    if (!d || !text) return Acad::eInvalidInput;
    if (faults().ignoreExecuteStrings) {
        transcript("string to execute dropped %s (fault)", shown(text).c_str());
        return Acad::eOk;
    }
    transcript("string to execute %s", shown(text).c_str());
    pending.push_back({d->id, text});
    resumeExecuteStrings();
    return Acad::eOk;
}

void resumeExecuteStrings() {
    if (!pending.empty())
        if (HWND w = adsw_acadMainWnd()) PostMessageA(w, kExecuteStrings, 0, 0);
}

void runPendingStrings() {
    while (!pending.empty() && hostDialogsOpen == 0) {
        Pending p = pending.front();
        pending.pop_front();
        if (Document* d = docManager().findById(p.docId)) {
            if (docManager().current != d) docManager().setCurDocument(d, AcAp::kNone, false);
            executeString(p.text);
        }
    }
}

void executeString(const std::string& text) {
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool caretC = c == '^' && i + 1 < text.size() && (text[i + 1] | 0x20) == 'c';
        if (c == 3 || caretC) {
            if (caretC) ++i;
            requestCancel();
            line.clear();
        } else if (c == '\n' || c == '\r') {
            executeLine(line.c_str());
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) executeLine(line.c_str());
}

} // namespace cadhost
