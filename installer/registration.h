// Demand loading at AutoCAD's start-up: the keys that make every AutoCAD
// 2000-2002 on a computer load the module, and their removal. Both
// installers go through these, by way of tarnelcfg's register and
// unregister verbs.
#pragma once
#include <string>
#include <vector>

namespace registration {

// Below HKEY_LOCAL_MACHINE: one subkey per product (plain AutoCAD, each
// vertical).
extern const char kReleaseKey[];
// The module's own key, which each product's entry points to.
extern const char kModuleKey[];

// The product keys found, or only those `only` names (one, or several with
// ';' between) when it is given and found.
std::vector<std::string> productKeys(const std::string& only = "");

// The product keys that hold the module's entry now, ';' between; empty
// when none does.
std::string heldProductKeys();

// What to say when productKeys(only) finds none.
std::string noProductKey(const std::string& only = "");

// `only` naming every product key: the registration forgets a chosen one.
extern const char kEveryProductKey[];

// The product key a registration was made for, remembered in the module's
// key, or empty when it was made for every one.
std::string rememberedProductKey();

// The product key a registration given `only` is for: `only` when it names
// one, none for kEveryProductKey, else the remembered one.
std::string chosenProductKey(const std::string& only);

// Writes the module's key (its path: folder\tarnel15.arx) and an entry under
// every product key found, or only under chosenProductKey(only), which is
// remembered, so that an upgrade or a repair registering again keeps to it;
// an entry under another product key goes. Empty on success, else what went
// wrong, with Windows' reason ("... could not be written: Access is
// denied."); nothing is written when no product key is found.
std::string registerModule(const std::string& folder, const std::string& only = "");

// The folder of the module registered now, or empty.
std::string registeredFolder();

// Removes the entry under every product key and the module's key, and the
// parents left empty. Empty on success, else the key that stayed and why.
std::string unregisterModule();

} // namespace registration
