#include "installer/registration.h"
#include <windows.h>
#include "common/handles.h"
#include "common/registry.h"

namespace registration {

const char kReleaseKey[] = "Software\\Autodesk\\AutoCAD\\R15.0";
const char kModuleKey[] = "Software\\Tarnel\\Tarnel";

namespace {

const char kEntry[] = "Applications\\Tarnel";

RegKey openMachineKey(const std::string& path, REGSAM access) {
    RegKey key;
    registry::openKey(HKEY_LOCAL_MACHINE, path, access, key);
    return key;
}

bool setString(const std::string& path, const char* name, const std::string& value) {
    RegKey key;
    return registry::createKey(HKEY_LOCAL_MACHINE, path, KEY_SET_VALUE, key) == ERROR_SUCCESS &&
           registry::writeString(key.get(), name, value) == ERROR_SUCCESS;
}

bool setDword(const std::string& path, const char* name, DWORD value) {
    RegKey key;
    return registry::createKey(HKEY_LOCAL_MACHINE, path, KEY_SET_VALUE, key) == ERROR_SUCCESS &&
           registry::writeNumber(key.get(), name, value) == ERROR_SUCCESS;
}

// Deletes the key and everything below it; true when it is gone.
bool deleteTree(HKEY root, const std::string& path) {
    {
        RegKey key;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
            return true;
        char name[256];
        for (;;) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            if (!deleteTree(key.get(), name)) return false;
        }
    }
    return RegDeleteKeyA(root, path.c_str()) == ERROR_SUCCESS;
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
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(release.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        if (only.empty() || lstrcmpiA(name, only.c_str()) == 0) found.push_back(name);
    }
    return found;
}

std::string noProductKey(const std::string& only) {
    return "no AutoCAD 2000-2002 product key " + (only.empty() ? "" : only + " ") +
           "was found below HKEY_LOCAL_MACHINE\\" + kReleaseKey;
}

std::string registerModule(const std::string& folder, const std::string& only) {
    const std::vector<std::string> products = productKeys(only);
    if (products.empty()) return noProductKey(only);
    // "C:\Program Files\Tarnel\." and the like come out as the plain folder.
    char full[MAX_PATH] = {};
    DWORD length = GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
    std::string dir = length && length < MAX_PATH ? full : folder;
    while (dir.size() > 3 && (dir.back() == '\\' || dir.back() == '/'))
        dir.pop_back();
    const std::string module = std::string(kModuleKey);
    bool ok = setString(module + "\\Loader", "MODULE", dir + "\\tarnel15.arx") &&
              setString(module + "\\Name", "Tarnel", "Tarnel") &&
              setString(module + "\\Commands", "tarnel_opt", "tarnel_opt") &&
              setString(module + "\\Groups", "Tarnel_Commands", "Tarnel_Commands");
    if (!ok) return "HKEY_LOCAL_MACHINE\\" + module + " could not be written";
    for (const std::string& product : products) {
        const std::string entry = std::string(kReleaseKey) + "\\" + product + "\\" + kEntry;
        if (!setDword(entry, "LOADCTRLS", 2) ||
            !setString(entry, "REGPATH", "\\\\HKEY_LOCAL_MACHINE\\" + module))
            return "HKEY_LOCAL_MACHINE\\" + entry + " could not be written";
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
        if (!deleteTree(HKEY_LOCAL_MACHINE, base + "\\" + kEntry))
            return "HKEY_LOCAL_MACHINE\\" + base + "\\" + kEntry;
        deleteIfEmpty(base + "\\Applications");
    }
    if (!deleteTree(HKEY_LOCAL_MACHINE, kModuleKey))
        return std::string("HKEY_LOCAL_MACHINE\\") + kModuleKey;
    deleteIfEmpty("Software\\Tarnel");
    return "";
}

} // namespace registration
