// Group Policy's keys for the module (Software\Policies\Tarnel of the
// computer and of the user) for a test's length, gone on every way out.
#pragma once
#include <doctest.h>
#include <windows.h>
#include <string>
#include "settings/policyregistry.h"

struct PolicyKeys {
    PolicyKeys() { clear(); }
    ~PolicyKeys() { clear(); }
    PolicyKeys(const PolicyKeys&) = delete;
    PolicyKeys& operator=(const PolicyKeys&) = delete;
    static void clear() {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kPolicyKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, kPolicyKey);
    }
    static void set(HKEY root, const char* name, DWORD type, const void* data, DWORD size) {
        HKEY k;
        REQUIRE(RegCreateKeyExA(root, kPolicyKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                                nullptr) == ERROR_SUCCESS);
        RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(k);
    }
    static void number(HKEY root, const char* name, DWORD n) {
        set(root, name, REG_DWORD, &n, sizeof n);
    }
    static void text(HKEY root, const char* name, const std::string& t, DWORD type = REG_SZ) {
        set(root, name, type, t.c_str(), (DWORD)t.size() + 1);
    }
};
