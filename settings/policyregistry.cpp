#include "settings/policyregistry.h"
#include "common/handles.h"

const char kPolicyKey[] = "Software\\Policies\\Tarnel";

std::vector<settingspolicy::RawValue> readPolicyValues(HKEY root) {
    using settingspolicy::RawValue;
    std::vector<RawValue> values;
    RegKey key;
    if (RegOpenKeyExA(root, kPolicyKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return values;
    // One call a value: a folder longer than the buffer is no folder.
    std::string data(8192, '\0');
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name, type = 0, got = (DWORD)data.size() - 1;
        const LONG status = RegEnumValueA(key.get(), i, name, &nameSize, nullptr, &type,
                                          reinterpret_cast<BYTE*>(&data[0]), &got);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_MORE_DATA)
            type = REG_BINARY, got = 0; // ignored as of the wrong type
        else if (status != ERROR_SUCCESS)
            continue;
        data[got] = '\0';
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
