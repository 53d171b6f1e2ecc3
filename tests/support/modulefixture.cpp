#include "modulefixture.h"
#include "arxapplication.h"
#include "extensionmodule.h"
#include "guardapp.h"
#include "settingsformat.h"

namespace modtest {

void writeSettings(const std::map<std::string, std::string>& values) {
    std::string bytes;
    for (const auto& kv : values) {
        std::string line = kv.first + ":" + kv.second;
        settingsformat::scramble(line);
        bytes += line + "\r\n";
    }
    testkit::writeFile(testkit::binDir() + "\\tarnel.cfg", bytes);
}

void deleteRegistryMessage() {
    testkit::deleteRegistryValue(tarnelRegistryKey(), "Message");
}

std::string registryMessage() {
    return testkit::registryString(tarnelRegistryKey(), "Message");
}

void setRegistryMessage(const std::string& text) {
    testkit::setRegistryString(tarnelRegistryKey(), "Message", text);
}

Module::Module() {
    static bool attached = attachLibrary(GetModuleHandleA(nullptr)) != FALSE;
    (void)attached;
    cadhost::createMainWindow(true);
    dir = testkit::binDir();
}

Module::~Module() {
    stop();
    cadhost::closeAllDrawings();
}

void Module::start(const std::map<std::string, std::string>& settings) {
    writeSettings(settings);
    currentApp()->dispatch(AcRx::kInitAppMsg, nullptr);
    started = true;
}

void Module::stop() {
    if (!started) return;
    currentApp()->dispatch(AcRx::kUnloadAppMsg, nullptr);
    started = false;
}

} // namespace modtest
