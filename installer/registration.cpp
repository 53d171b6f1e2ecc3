#include "installer/registration.h"
#include <windows.h>
#include <algorithm>
#include "common/errortext.h"
#include "common/handles.h"
#include "common/registry.h"

namespace registration {

const char kReleaseKey[] = "Software\\Autodesk\\AutoCAD\\R15.0";
const char kModuleKey[] = "Software\\Tarnel\\Tarnel";
const char kEveryProductKey[] = "*";

namespace {

const char kEntry[] = "Applications\\Tarnel";
const char kRememberedKey[] = "PRODUCTKEY";

RegKey openMachineKey(const std::string& path, REGSAM access) {
    RegKey key;
    registry::openKey(HKEY_LOCAL_MACHINE, path, access, key);
    return key;
}

// Each gives Windows' error code: ERROR_SUCCESS or why it failed.
LONG setString(const std::string& path, const char* name, const std::string& value) {
    RegKey key;
    LONG status = registry::createKey(HKEY_LOCAL_MACHINE, path, KEY_SET_VALUE, key);
    return status != ERROR_SUCCESS ? status : registry::writeString(key.get(), name, value);
}

LONG setDword(const std::string& path, const char* name, DWORD value) {
    RegKey key;
    LONG status = registry::createKey(HKEY_LOCAL_MACHINE, path, KEY_SET_VALUE, key);
    return status != ERROR_SUCCESS ? status : registry::writeNumber(key.get(), name, value);
}

// Deletes the key and everything below it; a key that is not there is gone.
LONG deleteTree(HKEY root, const std::string& path) {
    {
        RegKey key;
        const LONG opened = RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, key.put());
        if (opened == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        if (opened != ERROR_SUCCESS) return opened;
        char name[256];
        for (;;) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            if (LONG status = deleteTree(key.get(), name)) return status;
        }
    }
    return RegDeleteKeyA(root, path.c_str());
}

std::string failed(const std::string& path, const char* what, LONG status) {
    return "HKEY_LOCAL_MACHINE\\" + path + " could not be " + what + ": " +
           systemErrorText((DWORD)status);
}

// Deletes the key when nothing is left in it.
void deleteIfEmpty(const std::string& path) {
    {
        RegKey key = openMachineKey(path, KEY_READ);
        if (!key) return;
        DWORD subkeys = 1, values = 1;
        if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            subkeys || values)
            return;
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

} // namespace

std::vector<std::string> productKeys(const std::string& only) {
    std::vector<std::string> found;
    RegKey release = openMachineKey(kReleaseKey, KEY_READ);
    if (!release) return found;
    // `only` may name several, ';' between.
    std::vector<std::string> named;
    for (size_t start = 0; start < only.size();) {
        size_t end = only.find(';', start);
        if (end == std::string::npos) end = only.size();
        if (end > start) named.push_back(only.substr(start, end - start));
        start = end + 1;
    }
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(release.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        bool wanted = named.empty();
        for (const std::string& n : named)
            wanted = wanted || lstrcmpiA(name, n.c_str()) == 0;
        if (wanted) found.push_back(name);
    }
    return found;
}

std::string heldProductKeys() {
    std::string held;
    for (const std::string& product : productKeys()) {
        if (!openMachineKey(std::string(kReleaseKey) + "\\" + product + "\\" + kEntry, KEY_READ))
            continue;
        held += (held.empty() ? "" : ";") + product;
    }
    return held;
}

std::string noProductKey(const std::string& only) {
    return "no AutoCAD 2000-2002 product key " + (only.empty() ? "" : only + " ") +
           "was found below HKEY_LOCAL_MACHINE\\" + kReleaseKey;
}

std::string rememberedProductKey() {
    RegKey key = openMachineKey(kModuleKey, KEY_READ);
    std::string product;
    if (!key || registry::readString(key.get(), kRememberedKey, product) != ERROR_SUCCESS)
        return "";
    return product;
}

std::string chosenProductKey(const std::string& only) {
    if (only == kEveryProductKey) return "";
    return only.empty() ? rememberedProductKey() : only;
}

std::string registerModule(const std::string& folder, const std::string& only) {
    const std::string chosen = chosenProductKey(only);
    const std::vector<std::string> products = productKeys(chosen);
    if (products.empty()) return noProductKey(chosen);
    // "C:\Program Files\Tarnel\." and the like come out as the plain folder.
    char full[MAX_PATH] = {};
    DWORD length = GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
    std::string dir = length && length < MAX_PATH ? full : folder;
    while (dir.size() > 3 && (dir.back() == '\\' || dir.back() == '/'))
        dir.pop_back();
    const std::string module = std::string(kModuleKey);
    LONG status = setString(module + "\\Loader", "MODULE", dir + "\\tarnel15.arx");
    if (!status) status = setString(module + "\\Name", "Tarnel", "Tarnel");
    if (!status) status = setString(module + "\\Commands", "tarnel_opt", "tarnel_opt");
    if (!status) status = setString(module + "\\Groups", "Tarnel_Commands", "Tarnel_Commands");
    if (!status) {
        RegKey key = openMachineKey(module, KEY_SET_VALUE);
        status = !key             ? (LONG)ERROR_FILE_NOT_FOUND
                 : chosen.empty() ? registry::deleteValue(key.get(), kRememberedKey)
                                  : registry::writeString(key.get(), kRememberedKey, chosen);
    }
    if (status) return failed(module, "written", status);
    // A product key not chosen now loses an entry an earlier registration made.
    for (const std::string& product : productKeys()) {
        if (std::find(products.begin(), products.end(), product) != products.end()) continue;
        const std::string base = std::string(kReleaseKey) + "\\" + product;
        if (LONG removed = deleteTree(HKEY_LOCAL_MACHINE, base + "\\" + kEntry))
            return failed(base + "\\" + kEntry, "removed", removed);
        deleteIfEmpty(base + "\\Applications");
    }
    for (const std::string& product : products) {
        const std::string entry = std::string(kReleaseKey) + "\\" + product + "\\" + kEntry;
        status = setDword(entry, "LOADCTRLS", 2);
        if (!status) status = setString(entry, "REGPATH", "\\\\HKEY_LOCAL_MACHINE\\" + module);
        if (status) return failed(entry, "written", status);
    }
    return "";
}

std::string registeredFolder() {
    RegKey loader = openMachineKey(std::string(kModuleKey) + "\\Loader", KEY_READ);
    std::string module;
    if (!loader || registry::readString(loader.get(), "MODULE", module) != ERROR_SUCCESS) return "";
    size_t slash = module.find_last_of('\\');
    return slash == std::string::npos ? "" : module.substr(0, slash);
}

std::string unregisterModule() {
    // Under every product key, whichever the installer used.
    for (const std::string& product : productKeys()) {
        const std::string base = std::string(kReleaseKey) + "\\" + product;
        if (LONG status = deleteTree(HKEY_LOCAL_MACHINE, base + "\\" + kEntry))
            return failed(base + "\\" + kEntry, "removed", status);
        deleteIfEmpty(base + "\\Applications");
    }
    if (LONG status = deleteTree(HKEY_LOCAL_MACHINE, kModuleKey))
        return failed(kModuleKey, "removed", status);
    deleteIfEmpty("Software\\Tarnel");
    return "";
}

} // namespace registration
