#include "shell/registrymessage.h"
#include <windows.h>
#include "shell/hostcalls.h"
#include "common/faultpoint.h"
#include "common/handles.h"
#include "common/registry.h"

namespace {
const char kValue[] = "Message";
const char kLogFaults[] = "LogFault";
} // namespace

std::string tarnelRegistryKey() {
    return host::productKey() + "\\Tarnel";
}

long writeRegistryMessage(const std::string& key, const std::string& text) {
    RegKey k;
    if (faultpoint::fails("RegCreateKeyExA")) return ERROR_ACCESS_DENIED;
    LONG status = registry::createKey(HKEY_CURRENT_USER, key, KEY_ALL_ACCESS, k);
    if (status != ERROR_SUCCESS) return status;
    if (faultpoint::fails("RegSetValueExA")) return ERROR_ACCESS_DENIED;
    return registry::writeString(k.get(), kValue, text);
}

namespace {

bool readValue(const std::string& key, const char* name, std::string& text) {
    RegKey k;
    return registry::openKey(HKEY_CURRENT_USER, key, KEY_QUERY_VALUE, k) == ERROR_SUCCESS &&
           registry::readString(k.get(), name, text) == ERROR_SUCCESS;
}

void deleteValue(const std::string& key, const char* name) {
    RegKey k;
    if (registry::openKey(HKEY_CURRENT_USER, key, KEY_SET_VALUE, k) == ERROR_SUCCESS)
        registry::deleteValue(k.get(), name);
}

} // namespace

bool readRegistryMessage(const std::string& key, std::string& text) {
    return readValue(key, kValue, text);
}

void deleteRegistryMessage(const std::string& key) {
    deleteValue(key, kValue);
}

void addRegistryLogFault(const std::string& key, const std::string& sentence) {
    RegKey k;
    if (registry::createKey(HKEY_CURRENT_USER, key, KEY_ALL_ACCESS, k) != ERROR_SUCCESS) return;
    std::string text;
    if (registry::readString(k.get(), kLogFaults, text) != ERROR_SUCCESS) text.clear();
    registry::writeString(k.get(), kLogFaults, text + (text.empty() ? "" : "\n") + sentence);
}

bool readRegistryLogFaults(const std::string& key, std::string& text) {
    return readValue(key, kLogFaults, text);
}

void deleteRegistryLogFaults(const std::string& key) {
    deleteValue(key, kLogFaults);
}
