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
//   TarnelRestore (deferred, after the files at an upgrade): tarnel.cfg as
//     it was before the earlier package was removed, in the new folder.
//     Windows Installer keeps it, as that removal knows it is part of an
//     upgrade; Wine's removal does not say so and takes it; and an upgrade
//     given another INSTALLDIR leaves it behind. TarnelPresets reads it first.
//   TarnelForget (commit, at uninstall): tarnel.cfg goes once the removal
//     has succeeded, so a removal that rolls back keeps the seat's settings.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "common/handles.h"
#include "common/wholewrite.h"
#include "common/commandline.h"
#include "installer/presets.h"
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

const char kHex[] = "0123456789abcdef";

// The seat's tarnel.cfg (from) for TarnelRestore to write to `to`:
// "to|attributes|bytes in hex".
std::string keepSettings(const std::string& from, const std::string& to) {
    const DWORD attributes = GetFileAttributesA(from.c_str());
    std::string bytes;
    if (attributes == INVALID_FILE_ATTRIBUTES || !readSmallFile(from, bytes) || bytes.empty())
        return "";
    std::string data = to + "|" + std::to_string(attributes) + "|";
    for (unsigned char c : bytes) {
        data += kHex[c >> 4];
        data += kHex[c & 15];
    }
    return data;
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

} // namespace

extern "C" __declspec(dllexport) UINT __stdcall TarnelFolder(MSIHANDLE install) {
    const std::string chosen = property(install, "INSTALLDIR");
    const std::string standard = property(install, "ProgramFilesFolder") + "Tarnel\\";
    if (lstrcmpiA(chosen.c_str(), standard.c_str()) != 0) return ERROR_SUCCESS; // given
    // This product when installed, else the earlier ones found.
    std::string products =
        property(install, "ProductCode") + ";" + property(install, "TARNELOLDER");
    std::string folder;
    for (size_t start = 0; folder.empty() && start < products.size();) {
        size_t end = products.find(';', start);
        if (end == std::string::npos) end = products.size();
        folder = installedFolder(products.substr(start, end - start));
        start = end + 1;
    }
    if (folder.empty() || lstrcmpiA(folder.c_str(), chosen.c_str()) == 0) return ERROR_SUCCESS;
    if (MsiSetTargetPathA(install, "INSTALLDIR", folder.c_str()) != ERROR_SUCCESS) {
        report(install, "Tarnel: the installed folder " + folder + " cannot be used");
        return ERROR_SUCCESS;
    }
    report(install, "Tarnel: working in the installed folder " + folder);
    return ERROR_SUCCESS;
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
    if (registration::productKeys(plan.productKey).empty())
        return fail(install, registration::noProductKey(plan.productKey));
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
        const std::string kept = keepSettings(seatCfg, cfg);
        if (!kept.empty()) MsiSetPropertyA(install, "TarnelRestore", kept.c_str());
    }
    if (!plan.productKey.empty())
        MsiSetPropertyA(install, "TarnelProductKey", commandLine({plan.productKey}).c_str());
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall TarnelRestore(MSIHANDLE install) {
    const std::string data = property(install, "CustomActionData");
    const size_t first = data.find('|'), second = data.find('|', first + 1);
    if (first == std::string::npos || second == std::string::npos) return ERROR_SUCCESS;
    const std::string cfg = data.substr(0, first);
    if (GetFileAttributesA(cfg.c_str()) != INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS; // kept
    std::string bytes;
    for (size_t i = second + 1; i + 1 < data.size(); i += 2)
        bytes += (char)(std::string(kHex).find(data[i]) * 16 + std::string(kHex).find(data[i + 1]));
    bool written = false;
    {
        FileHandle file(CreateFileA(cfg.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER start = {};
        written = file && writeWholeAt(file.get(), start, bytes) && FlushFileBuffers(file.get());
    }
    if (!written) {
        DeleteFileA(cfg.c_str());
        // The upgrade rolls back rather than leave the seat without its settings.
        report(install,
               "Tarnel is not installed: the seat's settings could not be written back to " + cfg +
                   ".",
               true);
        return ERROR_INSTALL_FAILURE;
    }
    SetFileAttributesA(cfg.c_str(), (DWORD)std::strtoul(data.c_str() + first + 1, nullptr, 10));
    report(install, "Tarnel: the seat's settings written back to " + cfg);
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
