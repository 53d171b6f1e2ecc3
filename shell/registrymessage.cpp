#include "shell/registrymessage.h"
#include <windows.h>
#include "acrx.h"
#include "common/faultpoint.h"
#include "common/handles.h"
#include "common/registry.h"

namespace {
const char kValue[] = "Message";
} // namespace

std::string tarnelRegistryKey() {
    const char* product = acrxProductKey();
    return std::string(product ? product : "") + "\\Tarnel";
}

void writeRegistryMessage(const std::string& key, const std::string& text) {
    RegKey k;
    if (faultpoint::fails("RegCreateKeyExA") ||
        registry::createKey(HKEY_CURRENT_USER, key, KEY_ALL_ACCESS, k) != ERROR_SUCCESS)
        return;
    if (faultpoint::fails("RegSetValueExA")) return;
    registry::writeString(k.get(), kValue, text);
}

bool readRegistryMessage(const std::string& key, std::string& text) {
    RegKey k;
    return registry::openKey(HKEY_CURRENT_USER, key, KEY_QUERY_VALUE, k) == ERROR_SUCCESS &&
           registry::readString(k.get(), kValue, text) == ERROR_SUCCESS;
}

void deleteRegistryMessage(const std::string& key) {
    RegKey k;
    if (registry::openKey(HKEY_CURRENT_USER, key, KEY_SET_VALUE, k) == ERROR_SUCCESS)
        RegDeleteValueA(k.get(), kValue);
}
