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

AcRx::AppRetCode ArxApplication::dispatch(int code, void* pointer) {
    appId_ = pointer;
    switch (code) {
    case AcRx::kInitAppMsg:
        return initSequence();
    case AcRx::kUnloadAppMsg:
        return unloadSequence();
    case AcRx::kLoadDwgMsg:
        return onLoadDwg();
    case AcRx::kUnloadDwgMsg:
        return onUnloadDwg();
    case AcRx::kInvkSubrMsg:
        return onInvkSubr();
    case AcRx::kCfgMsg:
        return onCfg();
    case AcRx::kEndMsg:
        return onEnd();
    case AcRx::kQuitMsg:
        return onQuit();
    case AcRx::kSaveMsg:
        return onSave();
    case AcRx::kDependencyMsg:
        return onDependency();
    case AcRx::kNoDependencyMsg:
        return onNoDependency();
    case AcRx::kOleUnloadAppMsg:
        return onOleUnloadApp();
    case AcRx::kPreQuitMsg:
        return onPreQuit();
    case AcRx::kInitDialogMsg:
        return onInitDialog(pointer);
    case AcRx::kEndDialogMsg:
        return onEndDialog(pointer);
    default:
        return AcRx::kRetOK;
    }
}

AcRx::AppRetCode ArxApplication::initSequence() {
    std::setlocale(LC_ALL, ".ACP");
    std::setlocale(LC_NUMERIC, "ENU");
    registerClasses();
    registerCommands();
    initHookA();
    initHookB();
    return onInitApp();
}

AcRx::AppRetCode ArxApplication::unloadSequence() {
    unloadHook();
    unregisterCommands();
    unregisterClasses();
    return onUnloadApp();
}
