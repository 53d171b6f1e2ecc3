#include "shell/arxapplication.h"
#include <clocale>
#include <cstring>

namespace {
ArxApplication* theApp = nullptr;
char fileNameBuffer[MAX_PATH];
char directoryBuffer[MAX_PATH];

// The module's path in buffer, and its last backslash; null on failure.
char* lastBackslash(HINSTANCE module, char* buffer) {
    DWORD n = GetModuleFileNameA(module, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return std::strrchr(buffer, '\\');
}
} // namespace

ArxApplication* currentApp() {
    return theApp;
}

ArxApplication::ArxApplication() : previous_(theApp) {
    theApp = this;
}

ArxApplication::~ArxApplication() {
    if (theApp == this) theApp = previous_;
}

const char* ArxApplication::moduleFileName() {
    char* slash = lastBackslash(moduleInstance_, fileNameBuffer);
    if (!slash) return nullptr;
    std::memmove(fileNameBuffer, slash, std::strlen(slash) + 1);
    return fileNameBuffer;
}

const char* ArxApplication::moduleDirectory() {
    char* slash = lastBackslash(moduleInstance_, directoryBuffer);
    if (!slash) return nullptr;
    *slash = '\0';
    return directoryBuffer;
}

appmsg::Result ArxApplication::dispatch(int code, void* pointer) {
    appId_ = pointer;
    switch (code) {
    case appmsg::kInitAppMsg:
        return initSequence();
    case appmsg::kUnloadAppMsg:
        return unloadSequence();
    case appmsg::kLoadDwgMsg:
        return onLoadDwg();
    case appmsg::kUnloadDwgMsg:
        return onUnloadDwg();
    case appmsg::kInvkSubrMsg:
        return onInvkSubr();
    case appmsg::kCfgMsg:
        return onCfg();
    case appmsg::kEndMsg:
        return onEnd();
    case appmsg::kQuitMsg:
        return onQuit();
    case appmsg::kSaveMsg:
        return onSave();
    case appmsg::kDependencyMsg:
        return onDependency();
    case appmsg::kNoDependencyMsg:
        return onNoDependency();
    case appmsg::kOleUnloadAppMsg:
        return onOleUnloadApp();
    case appmsg::kPreQuitMsg:
        return onPreQuit();
    case appmsg::kInitDialogMsg:
        return onInitDialog(pointer);
    case appmsg::kEndDialogMsg:
        return onEndDialog(pointer);
    default:
        return appmsg::kRetOK;
    }
}

appmsg::Result ArxApplication::initSequence() {
    std::setlocale(LC_ALL, ".ACP");
    std::setlocale(LC_NUMERIC, "ENU");
    registerClasses();
    registerCommands();
    initHookA();
    initHookB();
    return onInitApp();
}

appmsg::Result ArxApplication::unloadSequence() {
    unloadHook();
    unregisterCommands();
    unregisterClasses();
    return onUnloadApp();
}
