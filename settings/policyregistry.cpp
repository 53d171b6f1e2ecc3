#include "settings/policyregistry.h"
#include <cstring>
#include <vector>
#include "common/handles.h"
#include "common/registry.h"

const char kPolicyKey[] = "Software\\Policies\\Tarnel";

std::vector<settingspolicy::RawValue> readPolicyValues(HKEY root) {
    using settingspolicy::RawValue;
    std::vector<RawValue> values;
    RegKey key;
    if (registry::openKey(root, kPolicyKey, KEY_READ, key) != ERROR_SUCCESS) return values;
    // Each value whole: a policy is the administrator's, whatever its length.
    std::vector<registry::Value> stored;
    registry::enumValues(key.get(), stored);
    for (const registry::Value& s : stored) {
        RawValue v;
        v.name = s.name;
        if (s.type == REG_DWORD && s.data.size() == sizeof(DWORD)) {
            DWORD n;
            memcpy(&n, s.data.data(), sizeof n);
            v.type = RawValue::Number;
            v.number = n;
        } else if (s.type == REG_SZ || s.type == REG_EXPAND_SZ) {
            v.type = RawValue::Text;
            v.text.assign(s.data.c_str()); // up to its terminating zero
            if (s.type == REG_EXPAND_SZ) {
                const DWORD n = ExpandEnvironmentStringsA(v.text.c_str(), nullptr, 0);
                std::vector<char> expanded(n + 1);
                if (n > 0 && ExpandEnvironmentStringsA(v.text.c_str(), expanded.data(), n + 1) > 0)
                    v.text = expanded.data();
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
