// Loading and unloading modules, and the messages sent to them.
#include <algorithm>
#include "internal.h"

namespace cadhost {

namespace {

// Looks up an export with the signature the caller expects.
template <typename Fn> Fn exported(HMODULE h, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(h, name)));
}

std::vector<std::unique_ptr<Module>> modules;

const char* messageName(AcRx::AppMsgCode msg) {
    static const char* names[] = {
        "kNullMsg",         "kInitAppMsg",  "kUnloadAppMsg",  "kLoadDwgMsg",
        "kUnloadDwgMsg",    "kInvkSubrMsg", "kCfgMsg",        "kEndMsg",
        "kQuitMsg",         "kSaveMsg",     "kDependencyMsg", "kNoDependencyMsg",
        "kOleUnloadAppMsg", "kPreQuitMsg",  "kInitDialogMsg", "kEndDialogMsg"};
    return msg >= 0 && msg < 16 ? names[msg] : "unknown message";
}

AcRx::AppRetCode send(Module& m, AcRx::AppMsgCode msg) {
    transcript("message %s to %s", messageName(msg), m.name.c_str());
    return m.entry(msg, &m);
}

Module* findByName(const std::string& name) {
    std::string wanted = upper(baseName(name));
    for (auto& m : modules)
        if (upper(m->name) == wanted) return m.get();
    return nullptr;
}

void release(Module* m) {
    HMODULE h = m->handle;
    std::string name = m->name;
    modules.erase(
        std::find_if(modules.begin(), modules.end(), [&](const auto& p) { return p.get() == m; }));
    FreeLibrary(h);
    transcript("module unloaded %s", name.c_str());
}

} // namespace

Module* findModule(void* appId) {
    for (auto& m : modules)
        if (m.get() == appId) return m.get();
    return nullptr;
}

void broadcast(AcRx::AppMsgCode msg) {
    std::vector<Module*> now;
    for (auto& m : modules)
        now.push_back(m.get());
    for (Module* m : now)
        if (findModule(m)) send(*m, msg);
}

void* loadModule(const char* path) {
    if (!path || !*path) return nullptr;
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(path, MAX_PATH, full, nullptr);
    std::string p = (n > 0 && n < MAX_PATH) ? full : path;
    if (Module* m = findByName(p)) {
        printLine(m->name + " is already loaded.");
        return m;
    }
    HMODULE h = LoadLibraryA(p.c_str());
    if (!h) {
        DWORD err = GetLastError();
        transcript("module refused %s (library did not load, error %lu)", p.c_str(), err);
        printLine("Unable to load " + p + ": the library did not load (error " +
                  std::to_string(err) + ").");
        return nullptr;
    }
    auto entry = exported<AcRxEntryPointFn>(h, "acrxEntryPoint");
    auto version = exported<int (*)()>(h, "acrxGetApiVersion");
    if (!entry || !version || version() != ACRX_API_VERSION) {
        FreeLibrary(h);
        std::string why = !entry     ? "it has no acrxEntryPoint"
                          : !version ? "it has no acrxGetApiVersion"
                                     : "it was built for another API version";
        transcript("module refused %s (%s)", p.c_str(), why.c_str());
        printLine("Unable to load " + p + ": " + why + ".");
        return nullptr;
    }
    if (auto setPtp = exported<void (*)(void*)>(h, "_SetacrxPtp")) setPtp(acrxSysRegistry());
    auto m = std::make_unique<Module>();
    m->path = p;
    m->name = baseName(p);
    m->handle = h;
    m->entry = entry;
    Module* mod = m.get();
    modules.push_back(std::move(m));
    transcript("module loaded %s", mod->name.c_str());
    if (send(*mod, AcRx::kInitAppMsg) != AcRx::kRetOK) {
        printLine("Unable to load " + p + ": its initialisation failed.");
        release(mod);
        return nullptr;
    }
    return mod;
}

bool unloadModule(const char* name) {
    Module* m = name ? findByName(name) : nullptr;
    if (!m) {
        printLine(std::string("No module named ") + (name ? name : "") + " is loaded.");
        return false;
    }
    if (m->locked) {
        transcript("module unload refused %s (locked)", m->name.c_str());
        printLine("Unable to unload " + m->name + ": the module is locked.");
        return false;
    }
    send(*m, AcRx::kUnloadAppMsg);
    release(m);
    return true;
}

void unloadAllModules() {
    while (!modules.empty()) {
        Module* m = modules.back().get();
        send(*m, AcRx::kUnloadAppMsg);
        release(m);
    }
}

} // namespace cadhost
