// An option page's controls whose setting Group Policy sets: disabled,
// showing the policy's value, and the page's one line saying so. Under the
// LockOptions policy every control of every page is held.
#pragma once
#include <windows.h>
#include <initializer_list>

class GuardSettings;

// A control and the setting it shows; a null key for a control only
// LockOptions holds (the password page's).
struct PolicyControl {
    int id;
    const char* key;
};

// Whether Group Policy holds the setting of that key (null: none).
bool heldByPolicy(const GuardSettings& settings, const char* key);

// Disables each held control, and shows the page's note (IDC_POLICY_NOTE)
// when any is.
void showPolicy(HWND page, const GuardSettings& settings,
                std::initializer_list<PolicyControl> controls);
