#include "guardapp.h"
#include <cstdio>
#include "aced.h"
#include "attachreactors.h"
#include "extensionmodule.h"
#include "guardsettings.h"
#include "idletimer.h"
#include "optionscommand.h"
#include "resourcescope.h"
#include "hostclasses.h"

namespace {
const char kCommandGroup[] = "Tarnel_Commands";
const char kOptionsCommand[] = "tarnel_opt";
} // namespace

GuardApp::GuardApp() = default;
GuardApp::~GuardApp() = default;

GuardApp* guardApp() {
    return static_cast<GuardApp*>(currentApp());
}

GuardSettings* appSettings() {
    GuardApp* app = guardApp();
    return app ? app->settings() : nullptr;
}

std::string tarnelRegistryKey() {
    const char* product = acrxProductKey();
    return std::string(product ? product : "") + "\\Tarnel";
}

AcRx::AppRetCode GuardApp::onInitApp() {
    HINSTANCE resources = resourceInstance();
    if (!resources) resources = extensionRecord()->moduleResource;
    HostResourceScope scope(resources);
    showLastRunMessage();
    const char* dir = moduleDirectory();
    std::string configPath = std::string(dir ? dir : ".") + "\\tarnel.cfg";
    delete settings_;
    settings_ = new GuardSettings(configPath);
    settings_->buildLogFileName();
    attachReactors();
    startIdleTimer();
    acrxLockApplication(appId());
    return AcRx::kRetOK;
}

AcRx::AppRetCode GuardApp::onUnloadApp() {
    detachReactors();
    stopIdleTimer();
    delete settings_;
    settings_ = nullptr;
    return AcRx::kRetOK;
}

AcRx::AppRetCode GuardApp::onLoadDwg() {
    resetIdle();
    return AcRx::kRetOK;
}

void GuardApp::registerCommands() {
    if (AcEdCommandStack* stack = hostCommandStack())
        stack->addCommand(kCommandGroup, kOptionsCommand, kOptionsCommand, ACRX_CMD_MODAL,
                          optionsCommand, nullptr, -1, nullptr, nullptr);
}

void GuardApp::unregisterCommands() {
    if (AcEdCommandStack* stack = hostCommandStack()) stack->removeGroup(kCommandGroup);
}

void GuardApp::showHelp(int contextId) {
    if (!helpLibrary_) helpLibrary_ = LoadLibraryA("hhctrl.ocx");
    if (!helpLibrary_) return;
    typedef HWND(WINAPI * HtmlHelpFn)(HWND, LPCSTR, UINT, DWORD_PTR);
    auto htmlHelp = reinterpret_cast<HtmlHelpFn>(
        reinterpret_cast<void*>(GetProcAddress(helpLibrary_, MAKEINTRESOURCEA(14))));
    if (!htmlHelp) return;
    const char* dir = moduleDirectory();
    if (!dir) return;
    std::string path = std::string(dir) + "\\tarnel.chm";
    htmlHelp(nullptr, path.c_str(), 15 /* HH_HELP_CONTEXT */, (DWORD_PTR)contextId);
}
