// The package's own steps, run by Windows Installer from its Binary table.
//   TarnelFolder (immediate, every run): a package run without INSTALLDIR
//     works in the folder it (or the earlier package it replaces) installed
//     the module to, so an upgrade stays in place, and a repair or an
//     uninstall finds what was installed.
//   TarnelPresets (immediate, before anything is installed): the presets
//     from the command line and from tarnel-presets.txt beside the package,
//     each checked; a bad one, or no AutoCAD to register with, ends the
//     install with its reason in the installer's log. What passes is handed
//     to the deferred steps as the properties TarnelSetArgs and
//     TarnelProductKey.
//   TarnelRestore (deferred, after the files at an upgrade): the seat's
//     tarnel.cfg copied into the new folder when it is not there (an upgrade
//     given another INSTALLDIR), before the earlier package is removed.
//   TarnelForget (commit, at uninstall): tarnel.cfg goes once the removal
//     has succeeded, so a removal that rolls back keeps the seat's settings.
//   An upgrade installs over the earlier version and removes it only once
//   the install has succeeded; a failure on the way puts the seat back as
//   it was, step by step, in reverse:
//   TarnelBackup (deferred, before the files) copies the installed files
//     aside, TarnelFilesBack (rollback) copies them back, TarnelBackupDrop
//     (commit) removes the copies;
//   TarnelSettingsBack (rollback) puts tarnel.cfg back as it was (the copy
//     TarnelBackup kept), or removes it when there was none;
//   no step's data carries tarnel.cfg's bytes, which hold the password:
//     a verbose log shows the data (MsiHiddenProperties hides it on
//     Windows, not under Wine);
//   TarnelRegisterBack (rollback) puts the registration back as it was.
//   The earlier version's removal (with UPGRADINGPRODUCTCODE, or, where the
//   installer does not set it, finding the later version installed) leaves
//   the registration, and tarnel.cfg when the later version is in its folder.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>
#include "common/handles.h"
#include "common/registry.h"
#include "common/wholewrite.h"
#include "common/commandline.h"
#include "common/errortext.h"
#include "installer/presets.h"
#include "settings/foldercheck.h"
#include "installer/registration.h"

namespace {

std::string property(MSIHANDLE install, const char* name) {
    DWORD size = 0;
    char empty[1] = "";
    if (MsiGetPropertyA(install, name, empty, &size) != ERROR_MORE_DATA) return "";
    std::string value(size + 1, '\0');
    size = (DWORD)value.size();
    if (MsiGetPropertyA(install, name, &value[0], &size) != ERROR_SUCCESS) return "";
    value.resize(size);
    return value;
}

// A line in the installer's log; with error, also shown to a user who runs
// the package with its user interface.
void report(MSIHANDLE install, const std::string& text, bool error = false) {
    PMSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringA(record, 0, text.c_str());
    MsiProcessMessage(install,
                      error ? INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR)
                            : INSTALLMESSAGE_INFO,
                      record);
}

UINT fail(MSIHANDLE install, const std::string& why) {
    report(install, "Tarnel is not installed: " + why + ".", true);
    return ERROR_INSTALL_FAILURE;
}

// The whole of a small file (the presets, tarnel.cfg); false when it is
// there but cannot be read.
bool readSmallFile(const std::string& path, std::string& text) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got) {
        text.append(buffer, got);
        if (text.size() > 64 * 1024) return false; // neither file is ever that long
    }
    return true;
}

// The module's component in installer/tarnel.wxs.
const char kModuleComponent[] = "{E688D2E1-0410-4CA0-80E9-3951482BDE58}";

// The folder (with its final backslash) the product installed the module
// to, also when the file has gone since; empty when it has not.
std::string installedFolder(const std::string& product) {
    if (product.size() != 38) return "";
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const INSTALLSTATE state = MsiGetComponentPathA(product.c_str(), kModuleComponent, path, &size);
    if (state != INSTALLSTATE_LOCAL && state != INSTALLSTATE_ABSENT) return "";
    const std::string module = path;
    const size_t slash = module.find_last_of('\\');
    return slash == std::string::npos ? "" : module.substr(0, slash + 1);
}

// The files the package installs (installer/tarnel.wxs).
const char* const kShippedFiles[] = {"tarnel15.arx",
                                     "TarnelCore.dll",
                                     "TarnelRes.dll",
                                     "tarnel.chm",
                                     "tarnelcfg.exe",
                                     "tarnelreport.exe",
                                     "policy\\Tarnel.admx",
                                     "policy\\en-US\\Tarnel.adml"};
// Their subfolders, deepest first.
const char* const kShippedFolders[] = {"policy\\en-US", "policy"};

// The folders a file below base needs.
void makeFoldersFor(const std::string& base, const std::string& file) {
    for (size_t at = file.find('\\'); at != std::string::npos; at = file.find('\\', at + 1))
        CreateDirectoryA((base + file.substr(0, at)).c_str(), nullptr);
}

const char kUpgradeCode[] = "{6B0E4C1A-2F57-4D0B-9C1E-5A3B7D2E9F10}";

// The folder of another Tarnel product installed beside this one, and
// whether there is one at all.
bool otherProductFolder(const std::string& self, std::string& folder) {
    char code[39];
    for (DWORD i = 0; MsiEnumRelatedProductsA(kUpgradeCode, 0, i, code) == ERROR_SUCCESS; ++i) {
        if (lstrcmpiA(code, self.c_str()) == 0) continue;
        folder = installedFolder(code);
        return true;
    }
    return false;
}

// Writes bytes as tarnel.cfg with these attributes, whole or not at all.
bool writeSettingsFile(const std::string& cfg, const std::string& bytes, DWORD attributes) {
    SetFileAttributesA(cfg.c_str(), FILE_ATTRIBUTE_NORMAL);
    const std::string partial = cfg + ".part";
    bool written = false;
    {
        FileHandle file(CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER start = {};
        written = file && writeWholeAt(file.get(), start, bytes) && FlushFileBuffers(file.get());
    }
    if (!written || !MoveFileExA(partial.c_str(), cfg.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(partial.c_str());
        return false;
    }
    SetFileAttributesA(cfg.c_str(), attributes);
    return true;
}

// Copies tarnel.cfg with its attributes (read-only kept), whole or not at
// all. Its bytes never travel in a step's data, which a verbose log shows:
// the file holds the options password.
bool copySettingsFile(const std::string& from, const std::string& to) {
    const DWORD attributes = GetFileAttributesA(from.c_str());
    std::string bytes;
    if (attributes == INVALID_FILE_ATTRIBUTES || !readSmallFile(from, bytes)) return false;
    return writeSettingsFile(to, bytes, attributes);
}

// In the backup folder: the seat's tarnel.cfg as it was, or a mark that
// there was none.
const char kKeptSettings[] = "tarnel.cfg";
const char kNoSettings[] = "tarnel.cfg.absent";

// The fields of a deferred step's data, split at '|'.
std::vector<std::string> fields(const std::string& data) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t bar; (bar = data.find('|', start)) != std::string::npos; start = bar + 1)
        out.push_back(data.substr(start, bar - start));
    out.push_back(data.substr(start));
    return out;
}

// The registration now: "folder|product keys", the product keys that hold
// the entry (';' between), or "|" for none. Not "every product key": a
// rollback would spread the module to products that never loaded it.
std::string registrationState() {
    const std::string folder = registration::registeredFolder();
    const std::string held = registration::heldProductKeys();
    if (folder.empty() || held.empty()) return "|";
    return folder + "|" + held;
}

// A product or upgrade code as Windows Installer's registry keeps it.
std::string packedGuid(const std::string& guid) {
    std::string hex;
    for (char c : guid)
        if (std::isxdigit((unsigned char)c)) hex += (char)std::toupper((unsigned char)c);
    if (hex.size() != 32) return "";
    std::string out(hex.rbegin() + 24, hex.rend()); // the first eight, reversed
    out.append(hex.rbegin() + 20, hex.rbegin() + 24);
    out.append(hex.rbegin() + 16, hex.rbegin() + 20);
    for (size_t i = 16; i < 32; i += 2) {
        out += hex[i + 1];
        out += hex[i];
    }
    return out;
}

void removeFolder(const std::string& folder) {
    for (const char* name : kShippedFiles) {
        const std::string path = folder + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    for (const char* sub : kShippedFolders)
        RemoveDirectoryA((folder + sub).c_str());
    RemoveDirectoryA(folder.c_str());
}

// Removes the backup folder, with the settings kept in it.
void dropBackup(const std::string& backup) {
    for (const char* name : {kKeptSettings, kNoSettings}) {
        const std::string path = backup + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    removeFolder(backup);
}

} // namespace

namespace {

// Without INSTALLDIR given, the folder this product, or an earlier one
// found, was installed to.
void useInstalledFolder(MSIHANDLE install) {
    const std::string chosen = property(install, "INSTALLDIR");
    const std::string standard = property(install, "ProgramFilesFolder") + "Tarnel\\";
    if (lstrcmpiA(chosen.c_str(), standard.c_str()) != 0) return; // given
    std::string products =
        property(install, "ProductCode") + ";" + property(install, "TARNELOLDER");
    std::string folder;
    for (size_t start = 0; folder.empty() && start < products.size();) {
        size_t end = products.find(';', start);
        if (end == std::string::npos) end = products.size();
        folder = installedFolder(products.substr(start, end - start));
        start = end + 1;
    }
    if (folder.empty() || lstrcmpiA(folder.c_str(), chosen.c_str()) == 0) return;
    if (MsiSetTargetPathA(install, "INSTALLDIR", folder.c_str()) != ERROR_SUCCESS) {
        report(install, "Tarnel: the installed folder " + folder + " cannot be used");
        return;
    }
    report(install, "Tarnel: working in the installed folder " + folder);
}

} // namespace

extern "C" __declspec(dllexport) UINT __stdcall TarnelFolder(MSIHANDLE install) {
    useInstalledFolder(install);
    // What a rollback of the registration puts back, at install and removal.
    const std::string registered = registrationState();
    MsiSetPropertyA(install, "TarnelRegisterBack", registered.c_str());
    MsiSetPropertyA(install, "TarnelUnregisterRollback", registered.c_str());
    std::string folder;
    if (property(install, "REMOVE") == "ALL" &&
        otherProductFolder(property(install, "ProductCode"), folder)) {
        // Removed once a later version is installed: an upgrade.
        MsiSetPropertyA(install, "TarnelSuperseded", "1");
        if (lstrcmpiA(folder.c_str(), property(install, "INSTALLDIR").c_str()) == 0)
            MsiSetPropertyA(install, "TarnelSupersededHere", "1");
        report(install, "Tarnel: the later version in " + folder + " stays registered");
    }
    return ERROR_SUCCESS;
}

// The first folder among the presets' changes ("Key=value") that cannot
// take the files that will go there, with its setting and why; empty when
// none.
static std::string folderFault(const std::vector<std::string>& changes) {
    std::vector<std::pair<std::string, std::string>> asked;
    for (const std::string& c : changes) {
        const size_t eq = c.find('=');
        asked.push_back({c.substr(0, eq), c.substr(eq + 1)});
    }
    return foldercheck::changesError(asked);
}

extern "C" __declspec(dllexport) UINT __stdcall TarnelPresets(MSIHANDLE install) {
    // The package's folder: under Group Policy the share it was assigned from.
    const std::string package = property(install, "OriginalDatabase");
    const size_t slash = package.find_last_of("\\/");
    const std::string path =
        (slash == std::string::npos ? std::string() : package.substr(0, slash + 1)) +
        presets::kFileName;
    std::string text;
    if (!readSmallFile(path, text)) return fail(install, path + " cannot be read");
    std::vector<presets::Entry> entries;
    std::string fault;
    if (!presets::parseFile(text, entries, fault)) return fail(install, fault);
    if (!text.empty()) report(install, "Tarnel: presets file " + path);

    presets::Plan plan;
    fault = presets::plan([&](const char* name) { return property(install, name); }, entries, plan);
    if (!fault.empty()) return fail(install, fault);
    fault = folderFault(plan.changes);
    if (!fault.empty()) return fail(install, fault);
    // Without PRODUCTKEY, the one chosen at install, if any; a registration
    // from a release that did not remember it keeps to the product keys
    // that hold its entry, unless that is every one.
    if (plan.productKey.empty() && registration::rememberedProductKey().empty()) {
        const std::string held = registration::heldProductKeys();
        if (!held.empty() &&
            registration::productKeys(held).size() < registration::productKeys().size())
            plan.productKey = held;
    }
    const std::string productKey = registration::chosenProductKey(plan.productKey);
    if (registration::productKeys(productKey).empty())
        return fail(install, registration::noProductKey(productKey));
    for (const std::string& note : plan.notes)
        report(install, "Tarnel: preset " + note);

    // The seat's settings so far: beside the module registered now, which an
    // upgrade given another INSTALLDIR moves away from.
    const std::string cfg = property(install, "INSTALLDIR") + "tarnel.cfg";
    const std::string registered = registration::registeredFolder();
    const std::string seatCfg = registered.empty() ? cfg : registered + "\\tarnel.cfg";
    // Presets over a locked tarnel.cfg keep it locked unless LOCK=0 is given.
    const DWORD attributes = GetFileAttributesA(seatCfg.c_str());
    if (plan.lock < 0 && !plan.changes.empty() && attributes != INVALID_FILE_ATTRIBUTES)
        plan.lock = (attributes & FILE_ATTRIBUTE_READONLY) ? 1 : 0;
    std::vector<std::string> args = plan.changes;
    if (plan.lock >= 0) args.push_back("--lock=" + std::to_string(plan.lock));
    if (!args.empty()) MsiSetPropertyA(install, "TarnelSetArgs", commandLine(args).c_str());
    // An upgrade: the seat's settings, in case the earlier package's removal
    // takes them.
    if (!property(install, "TARNELOLDER").empty()) {
        if (GetFileAttributesA(seatCfg.c_str()) != INVALID_FILE_ATTRIBUTES)
            MsiSetPropertyA(install, "TarnelRestore", (cfg + "|" + seatCfg).c_str());
    }
    if (!plan.productKey.empty())
        MsiSetPropertyA(install, "TarnelProductKey", commandLine({plan.productKey}).c_str());
    // What a rollback puts back: the files installed now, and tarnel.cfg.
    const std::string dir = property(install, "INSTALLDIR");
    const std::string backup = dir + "~tarnel-undo\\";
    MsiSetPropertyA(install, "TarnelBackup", (dir + "|" + backup).c_str());
    MsiSetPropertyA(install, "TarnelFilesBack", (dir + "|" + backup).c_str());
    MsiSetPropertyA(install, "TarnelBackupDrop", backup.c_str());
    // tarnel.cfg as it is now: TarnelBackup keeps a copy in the backup
    // folder; "absent" when there is none to keep.
    const bool hasSettings = GetFileAttributesA(cfg.c_str()) != INVALID_FILE_ATTRIBUTES;
    MsiSetPropertyA(install, "TarnelSettingsBack",
                    (cfg + "|" + (hasSettings ? backup : std::string("absent"))).c_str());
    // An upgrade into another folder: the earlier version's files, which it
    // leaves as this version holds the same components, go once it is gone.
    std::string older = property(install, "TARNELOLDER");
    for (char& c : older)
        if (c == ';') c = '|';
    for (const std::string& product : fields(older)) {
        const std::string folder = installedFolder(product);
        if (!folder.empty() && lstrcmpiA(folder.c_str(), dir.c_str()) != 0)
            MsiSetPropertyA(install, "TarnelOldFolder", folder.c_str());
    }
    MsiSetPropertyA(install, "TarnelUpgradeCodeBack", older.c_str());
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall TarnelRestore(MSIHANDLE install) {
    const std::vector<std::string> f = fields(property(install, "CustomActionData"));
    if (f.size() != 2) return ERROR_SUCCESS;
    const std::string &cfg = f[0], &seat = f[1];
    if (GetFileAttributesA(cfg.c_str()) != INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS; // kept
    if (!copySettingsFile(seat, cfg)) {
        // The upgrade rolls back rather than leave the seat without its settings.
        report(install,
               "Tarnel is not installed: the seat's settings could not be written back to " + cfg +
                   ".",
               true);
        return ERROR_INSTALL_FAILURE;
    }
    report(install, "Tarnel: the seat's settings written back to " + cfg);
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall TarnelBackup(MSIHANDLE install) {
    const std::vector<std::string> f = fields(property(install, "CustomActionData"));
    if (f.size() != 2) return ERROR_SUCCESS;
    const std::string &dir = f[0], &backup = f[1];
    dropBackup(backup); // one an interrupted run left
    bool made = false;
    // tarnel.cfg first, as it is before this install writes its presets, or
    // the mark that there is none, so a rollback puts back what was there.
    if (GetFileAttributesA(dir.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (!CreateDirectoryA(backup.c_str(), nullptr))
            return fail(install, backup + " could not be made: " + systemErrorText(GetLastError()));
        made = true;
        const std::string cfg = dir + "tarnel.cfg";
        const bool kept = GetFileAttributesA(cfg.c_str()) == INVALID_FILE_ATTRIBUTES
                              ? writeSettingsFile(backup + kNoSettings, "", FILE_ATTRIBUTE_NORMAL)
                              : copySettingsFile(cfg, backup + kKeptSettings);
        if (!kept)
            return fail(install, cfg + " could not be kept aside: " +
                                     systemErrorText(GetLastError()));
    }
    for (const char* name : kShippedFiles) {
        const std::string from = dir + name;
        if (GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        if (!made && !CreateDirectoryA(backup.c_str(), nullptr))
            return fail(install, backup + " could not be made: " + systemErrorText(GetLastError()));
        made = true;
        makeFoldersFor(backup, name);
        if (!CopyFileA(from.c_str(), (backup + name).c_str(), FALSE))
            return fail(install,
                        from + " could not be copied aside: " + systemErrorText(GetLastError()));
    }
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall TarnelFilesBack(MSIHANDLE install) {
    const std::vector<std::string> f = fields(property(install, "CustomActionData"));
    if (f.size() != 2) return ERROR_SUCCESS;
    const std::string &dir = f[0], &backup = f[1];
    for (const char* name : kShippedFiles) {
        const std::string from = backup + name, to = dir + name;
        if (GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        CreateDirectoryA(dir.c_str(), nullptr);
        makeFoldersFor(dir, name);
        SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
            report(install, "Tarnel: " + to + " could not be put back: " +
                                systemErrorText(GetLastError()) + "; a copy stays in " + backup);
        else
            report(install, "Tarnel: " + to + " put back");
    }
    dropBackup(backup);
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall TarnelBackupDrop(MSIHANDLE install) {
    const std::string backup = property(install, "CustomActionData");
    if (!backup.empty()) dropBackup(backup);
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall TarnelOldFolder(MSIHANDLE install) {
    const std::string folder = property(install, "CustomActionData");
    if (folder.empty()) return ERROR_SUCCESS;
    removeFolder(folder);
    report(install, "Tarnel: the earlier version's files removed from " + folder);
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall TarnelSettingsBack(MSIHANDLE install) {
    const std::vector<std::string> f = fields(property(install, "CustomActionData"));
    if (f.size() != 2) return ERROR_SUCCESS;
    const std::string &cfg = f[0], &backup = f[1];
    const bool none = backup == "absent" ||
                      GetFileAttributesA((backup + kNoSettings).c_str()) != INVALID_FILE_ATTRIBUTES;
    if (none) {
        SetFileAttributesA(cfg.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(cfg.c_str());
        return ERROR_SUCCESS;
    }
    const std::string kept = backup + kKeptSettings;
    if (GetFileAttributesA(kept.c_str()) == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS; // not reached
    if (!copySettingsFile(kept, cfg)) report(install, "Tarnel: " + cfg + " could not be put back");
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall TarnelRegisterBack(MSIHANDLE install) {
    const std::vector<std::string> f = fields(property(install, "CustomActionData"));
    if (f.size() != 2) return ERROR_SUCCESS;
    std::string fault = registration::unregisterModule();
    if (fault.empty() && !f[0].empty()) fault = registration::registerModule(f[0], f[1]);
    report(install, fault.empty() ? "Tarnel: the registration put back as it was"
                                  : "Tarnel: the registration could not be put back: " + fault);
    return ERROR_SUCCESS;
}

// Each installed product named (';' between) found again under the upgrade
// code. Wine's installer, removing one version, removes the upgrade code's
// record of every version, so neither the version an upgrade installed nor
// the one a failed upgrade kept would be found by the next upgrade; Windows
// keeps the record, and then this finds nothing to do.
extern "C" __declspec(dllexport) UINT __stdcall TarnelUpgradeCode(MSIHANDLE install) {
    std::string products = property(install, "CustomActionData");
    if (products.empty()) products = property(install, "ProductCode");
    // Both places the record is kept.
    const std::string keys[] = {
        "Software\\Classes\\Installer\\UpgradeCodes\\",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UpgradeCodes\\"};
    for (const std::string& product : fields(products)) {
        if (product.size() != 38 || MsiQueryProductStateA(product.c_str()) != INSTALLSTATE_DEFAULT)
            continue;
        bool found = false;
        char code[39];
        for (DWORD i = 0; MsiEnumRelatedProductsA(kUpgradeCode, 0, i, code) == ERROR_SUCCESS; ++i)
            found = found || lstrcmpiA(code, product.c_str()) == 0;
        if (found) continue;
        bool written = true;
        for (const std::string& key : keys) {
            RegKey codes;
            written = registry::createKey(HKEY_LOCAL_MACHINE, key + packedGuid(kUpgradeCode),
                                          KEY_SET_VALUE, codes) == ERROR_SUCCESS &&
                      registry::writeString(codes.get(), packedGuid(product).c_str(), "") ==
                          ERROR_SUCCESS &&
                      written;
        }
        report(install, "Tarnel: " + product +
                            (written ? " recorded again under the upgrade code"
                                     : " could not be recorded again under the upgrade code"));
    }
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall TarnelForget(MSIHANDLE install) {
    const std::string cfg = property(install, "CustomActionData");
    if (cfg.empty()) return ERROR_SUCCESS;
    const DWORD attributes = GetFileAttributesA(cfg.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
    SetFileAttributesA(cfg.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!DeleteFileA(cfg.c_str())) report(install, "Tarnel: " + cfg + " could not be removed");
    // A commit step's failure would not undo the removal: it only reports.
    return ERROR_SUCCESS;
}
