// Settings set by Group Policy: the values under Software\Policies\Tarnel of
// the computer and of the user, put over the settings file's. The
// computer's value wins over the user's, as Windows has it; a value of the
// wrong type or out of range is ignored by itself, and said why. The
// password and the protection are never taken from a policy, which every
// user can read. Pure logic, free of the platform.
#pragma once
#include <array>
#include <string>
#include <vector>
#include "settings/settingsformat.h"

namespace settingspolicy {

// Where the value in effect comes from.
enum class Source { File, UserPolicy, MachinePolicy };
// "file", "user policy", "computer policy".
const char* sourceName(Source source);

// One value as the registry holds it (a REG_EXPAND_SZ already expanded).
struct RawValue {
    enum Type { Number, Text, Other };
    std::string name;
    Type type = Other;
    unsigned long number = 0;
    std::string text;
};

// The name of the policy that makes every page of the options dialog
// read-only.
extern const char kLockOptions[];

struct Policy {
    // Per key of settingsformat::kKeys.
    std::array<Source, settingsformat::kKeyCount> source{};
    settingsformat::Values values; // the policy's value of each key it sets
    bool lockOptions = false;
    // One line per value ignored: its name, whose, and why.
    std::vector<std::string> faults;
    bool sets(int key) const { return source[(size_t)key] != Source::File; }
    bool any() const;
};

// The policy from the computer's values and the user's.
Policy policyFrom(const std::vector<RawValue>& machine, const std::vector<RawValue>& user);

// The settings in effect: the file's, each key the policy sets replaced.
settingsformat::Values applied(const settingsformat::Values& file, const Policy& policy);

} // namespace settingspolicy
