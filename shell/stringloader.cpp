#include "shell/stringloader.h"
#include "ui/uiapp.h"

namespace {

// String-table entry id of the resource library; empty when missing.
std::string findString(UINT id) {
    HINSTANCE h = ui::resourceLibrary();
    std::string buf(256, '\0');
    for (;;) {
        int n = LoadStringA(h, id, &buf[0], (int)buf.size());
        if (n <= 0) return std::string();
        if (n < (int)buf.size() - 1) return buf.substr(0, n);
        buf.resize(buf.size() * 4);
    }
}

} // namespace

std::string loadString(unsigned id) {
    return findString(id);
}

std::string loadStringOr(unsigned id, const char* fallback) {
    std::string text = loadString(id);
    return text.empty() ? std::string(fallback) : text;
}
