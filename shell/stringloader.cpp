#include "shell/stringloader.h"
#include "shell/extensionmodule.h"
#include "shell/resourcescope.h"

std::string loadString(unsigned id) {
    HostResourceScope scope(extensionRecord()->moduleResource);
    std::string text;
    AfxLoadString(id, text);
    return text;
}

std::string loadStringOr(unsigned id, const char* fallback) {
    std::string text = loadString(id);
    return text.empty() ? std::string(fallback) : text;
}
