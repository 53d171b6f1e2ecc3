// Group Policy's values for the module, read from the registry:
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, Software\Policies\Tarnel.
#pragma once
#include <windows.h>
#include <vector>
#include "settings/settingspolicy.h"

// The policy key below each root.
extern const char kPolicyKey[];

// The values under root's policy key (none when it is missing); a
// REG_EXPAND_SZ comes expanded.
std::vector<settingspolicy::RawValue> readPolicyValues(HKEY root);

// The policy in force now, the computer's and the user's.
settingspolicy::Policy readPolicy();
