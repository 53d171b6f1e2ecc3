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
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, tarnelRegistryKey().c_str(), 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
        RegDeleteValueA(key, "Message");
        RegCloseKey(key);
    }
}

std::string registryMessage() {
    char buf[4096] = {};
    DWORD size = sizeof buf - 1;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, tarnelRegistryKey().c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return "(none)";
    LONG r = RegQueryValueExA(key, "Message", nullptr, nullptr, (LPBYTE)buf, &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? std::string(buf) : "(none)";
}

void setRegistryMessage(const std::string& text) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, tarnelRegistryKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    RegSetValueExA(key, "Message", 0, REG_SZ, (const BYTE*)text.c_str(), (DWORD)text.size() + 1);
    RegCloseKey(key);
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
