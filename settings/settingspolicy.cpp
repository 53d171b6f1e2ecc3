#include "settings/settingspolicy.h"

namespace settingspolicy {

using settingsformat::KeyInfo;
using settingsformat::kKeys;

const char kLockOptions[] = "LockOptions";

const char* sourceName(Source source) {
    switch (source) {
    case Source::MachinePolicy:
        return "computer policy";
    case Source::UserPolicy:
        return "user policy";
    default:
        return "file";
    }
}

bool Policy::any() const {
    for (Source s : source)
        if (s != Source::File) return true;
    return lockOptions;
}

namespace {

bool byPolicy(const KeyInfo& key) {
    return std::string(key.name) != "Password" && std::string(key.name) != "Protection";
}

// Why the value does not do for the key, or empty when it does.
std::string fault(const KeyInfo& key, const RawValue& v) {
    switch (key.kind) {
    case KeyInfo::Number:
    case KeyInfo::Flag:
        if (v.type != RawValue::Number) return "not a number (REG_DWORD)";
        if (v.number < (unsigned long)key.low || v.number > (unsigned long)key.high)
            return std::to_string(v.number) + " is outside " + std::to_string(key.low) + " to " +
                   std::to_string(key.high);
        return "";
    case KeyInfo::Text:
        // An empty text would turn the seat's log, journal or licence
        // question off without a word: turning them off is the file's.
        if (v.type != RawValue::Text) return "not a text (REG_SZ or REG_EXPAND_SZ)";
        if (!settingsformat::trim(v.text).empty()) return "";
        return key.text == &settingsformat::Values::logfilepath ||
                       key.text == &settingsformat::Values::journalpath
                   ? "an empty folder"
                   : "an empty text";
    }
    return "";
}

void store(settingsformat::Values& values, const KeyInfo& key, const RawValue& v) {
    switch (key.kind) {
    case KeyInfo::Number:
        values.*key.number = (int)v.number;
        break;
    case KeyInfo::Flag:
        values.*key.flag = v.number != 0;
        break;
    case KeyInfo::Text:
        values.*key.text = settingsformat::trim(v.text);
        break;
    }
}

// The values of one side: a later side (the computer's) overwrites.
void take(Policy& p, const std::vector<RawValue>& side, Source source) {
    const std::string whose = sourceName(source);
    for (const RawValue& v : side) {
        if (settingsformat::equalsNoCase(v.name, kLockOptions)) {
            if (v.type == RawValue::Number && v.number <= 1)
                p.lockOptions = v.number == 1;
            else
                p.faults.push_back(std::string(kLockOptions) + " (" + whose +
                                   "): must be a REG_DWORD of 0 or 1; ignored");
            continue;
        }
        const KeyInfo* key = settingsformat::findKey(v.name);
        if (!key || !byPolicy(*key)) {
            p.faults.push_back(v.name + " (" + whose +
                               "): " + (key ? "cannot be set by policy" : "is no Tarnel policy") +
                               "; ignored");
            continue;
        }
        const std::string why = fault(*key, v);
        if (!why.empty()) {
            p.faults.push_back(std::string(key->name) + " (" + whose + "): " + why + "; ignored");
            continue;
        }
        store(p.values, *key, v);
        p.source[(size_t)(key - kKeys)] = source;
    }
}

} // namespace

Policy policyFrom(const std::vector<RawValue>& machine, const std::vector<RawValue>& user) {
    Policy p;
    p.source.fill(Source::File);
    take(p, user, Source::UserPolicy);
    take(p, machine, Source::MachinePolicy);
    return p;
}

settingsformat::Values applied(const settingsformat::Values& file, const Policy& policy) {
    settingsformat::Values out = file;
    for (int i = 0; i < settingsformat::kKeyCount; ++i) {
        if (!policy.sets(i)) continue;
        const KeyInfo& k = kKeys[i];
        switch (k.kind) {
        case KeyInfo::Number:
            out.*k.number = policy.values.*k.number;
            break;
        case KeyInfo::Flag:
            out.*k.flag = policy.values.*k.flag;
            break;
        case KeyInfo::Text:
            out.*k.text = policy.values.*k.text;
            break;
        }
    }
    return out;
}

} // namespace settingspolicy
