#include "settings/policyregistry.h"
#include "common/handles.h"

const char kPolicyKey[] = "Software\\Policies\\Tarnel";

std::vector<settingspolicy::RawValue> readPolicyValues(HKEY root) {
    using settingspolicy::RawValue;
    std::vector<RawValue> values;
    RegKey key;
    if (RegOpenKeyExA(root, kPolicyKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name, type = 0, size = 0;
        LONG status = RegEnumValueA(key.get(), i, name, &nameSize, nullptr, &type, nullptr, &size);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) continue;
        std::string data(size + 1, '\0');
        nameSize = sizeof name;
        DWORD got = size;
        if (RegEnumValueA(key.get(), i, name, &nameSize, nullptr, &type,
                          reinterpret_cast<BYTE*>(&data[0]), &got) != ERROR_SUCCESS)
            continue;
        RawValue v;
        v.name.assign(name, nameSize);
        if (type == REG_DWORD && got == sizeof(DWORD)) {
            DWORD n;
            memcpy(&n, data.data(), sizeof n);
            v.type = RawValue::Number;
            v.number = n;
        } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
            v.type = RawValue::Text;
            v.text.assign(data.c_str()); // up to its terminating zero
            if (type == REG_EXPAND_SZ) {
                char expanded[32768];
                const DWORD n =
                    ExpandEnvironmentStringsA(v.text.c_str(), expanded, sizeof expanded);
                if (n > 0 && n <= sizeof expanded) v.text = expanded;
            }
        }
        values.push_back(v);
    }
    return values;
}

settingspolicy::Policy readPolicy() {
    return settingspolicy::policyFrom(readPolicyValues(HKEY_LOCAL_MACHINE),
                                      readPolicyValues(HKEY_CURRENT_USER));
}
