#include "options/policycontrols.h"
#include "resources/resource.h"
#include "settings/guardsettings.h"

bool heldByPolicy(const GuardSettings& settings, const char* key) {
    const settingspolicy::Policy& policy = settings.policy();
    if (policy.lockOptions) return true;
    const settingsformat::KeyInfo* k = key ? settingsformat::findKey(key) : nullptr;
    return k && policy.sets((int)(k - settingsformat::kKeys));
}

void showPolicy(HWND page, const GuardSettings& settings,
                std::initializer_list<PolicyControl> controls) {
    bool any = false;
    for (const PolicyControl& c : controls) {
        if (!heldByPolicy(settings, c.key)) continue;
        any = true;
        if (HWND h = GetDlgItem(page, c.id)) EnableWindow(h, FALSE);
    }
    if (HWND note = GetDlgItem(page, IDC_POLICY_NOTE)) ShowWindow(note, any ? SW_SHOW : SW_HIDE);
}
