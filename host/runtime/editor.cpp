// The editor's event source and the command stack.
#include <algorithm>
#include "internal.h"

namespace cadhost {

Editor& editor() {
    static Editor* e = new Editor;
    return *e;
}

void Editor::addReactor(AcEditorReactor* reactor) {
    if (reactor && std::find(reactors.begin(), reactors.end(), reactor) == reactors.end())
        reactors.push_back(reactor);
}

void Editor::removeReactor(AcEditorReactor* reactor) {
    reactors.erase(std::remove(reactors.begin(), reactors.end(), reactor), reactors.end());
}

void Editor::notify(const char* event, const char* arg,
                    const std::function<void(AcEditorReactor*)>& fn) {
    if (arg)
        transcript("notify %s %s", event, arg);
    else
        transcript("notify %s", event);
    std::vector<AcEditorReactor*> now = reactors;
    for (AcEditorReactor* r : now)
        if (std::find(reactors.begin(), reactors.end(), r) != reactors.end()) fn(r);
}

CommandStack& commandStack() {
    static CommandStack* s = new CommandStack;
    return *s;
}

Acad::ErrorStatus CommandStack::addCommand(const char* groupName, const char* globalName,
                                           const char* localName, int, AcRxFunctionPtr function,
                                           void*, int, HINSTANCE, void** commandOut) {
    if (commandOut) *commandOut = nullptr;
    if (!groupName || !globalName || !function) return Acad::eInvalidInput;
    std::string global = upper(globalName);
    if (lookup(global)) return Acad::eDuplicateKey;
    commands.push_back({groupName, global, upper(localName ? localName : globalName), function});
    transcript("command registered %s in %s", global.c_str(), groupName);
    return Acad::eOk;
}

Acad::ErrorStatus CommandStack::removeGroup(const char* groupName) {
    if (!groupName) return Acad::eInvalidInput;
    auto gone = std::remove_if(commands.begin(), commands.end(), [&](const RegisteredCommand& c) {
        return _stricmp(c.group.c_str(), groupName) == 0;
    });
    if (gone == commands.end()) return Acad::eKeyNotFound;
    commands.erase(gone, commands.end());
    transcript("command group removed %s", groupName);
    return Acad::eOk;
}

const RegisteredCommand* CommandStack::lookup(const std::string& upperName) const {
    for (const RegisteredCommand& c : commands)
        if (c.globalName == upperName || c.localName == upperName) return &c;
    return nullptr;
}

std::string upper(std::string s) {
    for (char& c : s)
        c = (char)toupper((unsigned char)c);
    return s;
}

std::string baseName(const std::string& path) {
    size_t p = path.find_last_of("\\/");
    return p == std::string::npos ? path : path.substr(p + 1);
}

} // namespace cadhost

namespace cadhost {
bool commandRegistered(const char* name) {
    return name && commandStack().lookup(upper(name)) != nullptr;
}
} // namespace cadhost
