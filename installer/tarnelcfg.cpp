// tarnelcfg: the administrator's view of tarnel.cfg, through the module's
// own settings code, and the installers' registration with AutoCAD.
//   tarnelcfg show FILE [--show-password]   the settings in plain text
//   tarnelcfg set FILE [--lock=0|1] KEY=VALUE...
//                                           checks every value, then writes;
//                                           --lock: read-only afterwards or not
//   tarnelcfg new FILE                      the defaults
//   tarnelcfg check KEY=VALUE...            checks only
//   tarnelcfg register FOLDER [PRODUCTKEY]  every AutoCAD 2000-2002 (or that
//                                           one, remembered; "*" every one
//                                           again) loads FOLDER\tarnel15.arx;
//                                           without PRODUCTKEY the one
//                                           remembered, if any
//   tarnelcfg unregister                    no AutoCAD loads it any more
// Exit status: 0 done, 1 the file or a key could not be written, 2 a bad
// request, 3 no AutoCAD product key found.
#include <windows.h>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include "common/errortext.h"
#include "common/scopeguard.h"
#include "settings/foldercheck.h"
#include "settings/guardsettings.h"
#include "settings/settingsformat.h"
#include "installer/presets.h"
#include "installer/registration.h"

namespace {

using settingsformat::KeyInfo;

struct Change {
    const KeyInfo* key;
    std::string value;
};

struct Request {
    std::vector<Change> changes;
    int lock = -1; // -1 leaves the read-only attribute as it is
};

// Every KEY=VALUE checked against the loader's ranges; false after a message.
bool parseChanges(int argc, char** argv, int first, Request& out) {
    for (int i = first; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--lock=0" || arg == "--lock=1") {
            out.lock = arg.back() - '0';
            continue;
        }
        size_t eq = arg.find('=');
        const KeyInfo* key =
            eq == std::string::npos ? nullptr : settingsformat::findKey(arg.substr(0, eq));
        if (!key) {
            std::fprintf(stderr, "tarnelcfg: \"%s\" is not KEY=VALUE with a known key\n",
                         arg.c_str());
            return false;
        }
        std::string value = arg.substr(eq + 1);
        std::string fault = presets::valueError(*key, value);
        if (!fault.empty()) {
            std::fprintf(stderr, "tarnelcfg: %s\n", fault.c_str());
            return false;
        }
        out.changes.push_back({key, value});
    }
    // A folder is checked once every value is read: the log's names follow
    // the naming asked for with it.
    std::vector<std::pair<std::string, std::string>> asked;
    for (const Change& c : out.changes)
        asked.push_back({c.key->name, c.value});
    const std::string fault = foldercheck::changesError(asked);
    if (fault.empty()) return true;
    std::fprintf(stderr, "tarnelcfg: %s\n", fault.c_str());
    return false;
}

// Settings read from file without writing it: the record's own file is a
// scratch copy that goes with it.
class Scratch {
  public:
    Scratch() {
        char dir[MAX_PATH] = {}, name[MAX_PATH] = {};
        const DWORD n = GetTempPathA(MAX_PATH, dir);
        if (n == 0 || n >= MAX_PATH || GetTempFileNameA(dir, "tcf", 0, name) == 0) {
            fault_ = "no scratch file could be made in the temporary folder \"" + std::string(dir) +
                     "\": " + systemErrorText(GetLastError());
            return;
        }
        path_ = name;
        settings_ = std::make_unique<GuardSettings>(path_);
    }
    ~Scratch() {
        settings_.reset(); // writes its file, deleted next
        if (!path_.empty()) DeleteFileA(path_.c_str());
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    // Empty when the scratch settings are there, else why not.
    const std::string& fault() const { return fault_; }
    GuardSettings* operator->() { return settings_.get(); }

  private:
    std::string path_, fault_;
    std::unique_ptr<GuardSettings> settings_;
};

int show(const std::string& file, bool password) {
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "tarnelcfg: %s does not exist\n", file.c_str());
        return 2;
    }
    Scratch s;
    if (!s.fault().empty()) {
        std::fprintf(stderr, "tarnelcfg: %s\n", s.fault().c_str());
        return 1;
    }
    s->load(file);
    // The values in effect on this computer for this user, each with its
    // source: a policy, the file, or the default.
    const settingsformat::Values v = s->effectiveValues();
    for (int i = 0; i < settingsformat::kKeyCount; ++i) {
        const KeyInfo& k = settingsformat::kKeys[i];
        std::string text = settingsformat::valueText(v, k);
        if (k.text == &settingsformat::Values::password && !password && !text.empty())
            text = "(hidden)";
        const char* source = s->policy().sets(i)
                                 ? settingspolicy::sourceName(s->policy().source[(size_t)i])
                             : s->fromFile(i) ? "file"
                                              : "default";
        text += std::string(" (") + source + ")";
        std::printf("%s: %s\n", k.name, text.c_str());
    }
    return 0;
}

int write(const std::string& file, const std::vector<Change>& changes, bool keepOld) {
    Scratch s;
    if (!s.fault().empty()) {
        std::fprintf(stderr, "tarnelcfg: %s\n", s.fault().c_str());
        return 1;
    }
    if (keepOld) s->load(file);
    settingsformat::Values v = s->values();
    for (const Change& c : changes)
        settingsformat::storeValue(v, *c.key, c.value);
    s->setValues(v);
    if (!s->saveTo(file)) {
        std::fprintf(stderr, "tarnelcfg: %s could not be written (read-only?)\n", file.c_str());
        return 1;
    }
    return 0;
}

// set with --lock: the installer's write. A locked file is opened for the
// changes and locked again, or left open, as asked; without changes only
// the lock changes, and a file that is not there is not made.
int writeLocked(const std::string& file, const std::vector<Change>& changes, int lock) {
    const DWORD attributes = GetFileAttributesA(file.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists && changes.empty()) return 0;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(file.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    // A failed write leaves the file as it was found.
    auto restore = onScopeExit([&] {
        if (exists) SetFileAttributesA(file.c_str(), attributes);
    });
    if (!changes.empty() && write(file, changes, true) != 0) return 1;
    restore.dismiss();
    const DWORD now = GetFileAttributesA(file.c_str()) & ~FILE_ATTRIBUTE_READONLY;
    SetFileAttributesA(file.c_str(), lock ? now | FILE_ATTRIBUTE_READONLY : now);
    return 0;
}

int registerWith(const std::string& folder, const std::string& product) {
    const bool found = !registration::productKeys(registration::chosenProductKey(product)).empty();
    std::string fault = registration::registerModule(folder, product);
    if (fault.empty()) return 0;
    std::fprintf(stderr, "tarnelcfg: %s\n", fault.c_str());
    return found ? 1 : 3;
}

int unregister() {
    std::string fault = registration::unregisterModule();
    if (fault.empty()) return 0;
    std::fprintf(stderr, "tarnelcfg: %s\n", fault.c_str());
    return 1;
}

int usage() {
    std::fprintf(stderr, "usage: tarnelcfg show FILE [--show-password] | "
                         "set FILE [--lock=0|1] KEY=VALUE... | new FILE | check KEY=VALUE... | "
                         "register FOLDER [PRODUCTKEY] | unregister\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    std::string command = argv[1];
    Request request;
    if (command == "check") return parseChanges(argc, argv, 2, request) && request.lock < 0 ? 0 : 2;
    if (command == "unregister") return argc == 2 ? unregister() : usage();
    if (argc < 3) return usage();
    std::string file = argv[2];
    if (command == "show") return show(file, argc > 3 && std::string(argv[3]) == "--show-password");
    // The file is saved through a temporary copy beside it, whose name is
    // longer: Windows must take that one too.
    if ((command == "new" || command == "set") &&
        file.size() + foldercheck::kSettingsTempSuffix > foldercheck::kLongestPath) {
        std::fprintf(stderr,
                     "tarnelcfg: %s is too long: saving it takes a temporary name %u characters "
                     "longer, and Windows takes paths of up to %u characters\n",
                     file.c_str(), (unsigned)foldercheck::kSettingsTempSuffix,
                     (unsigned)foldercheck::kLongestPath);
        return 2;
    }
    if (command == "new") return argc == 3 ? write(file, request.changes, false) : usage();
    if (command == "register")
        return argc <= 4 ? registerWith(file, argc == 4 ? argv[3] : "") : usage();
    if (command == "set") {
        if (!parseChanges(argc, argv, 3, request)) return 2;
        if (request.lock >= 0) return writeLocked(file, request.changes, request.lock);
        return write(file, request.changes, true);
    }
    return usage();
}
