// tarnelcfg: the administrator's view of tarnel.cfg, through the module's
// own settings code.
//   tarnelcfg show FILE [--show-password]   the ten settings in plain text
//   tarnelcfg set FILE KEY=VALUE...         checks every value, then writes
//   tarnelcfg new FILE                      the defaults
//   tarnelcfg check KEY=VALUE...            checks only
// Exit status: 0 done, 1 the file could not be written, 2 a bad request.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "settings/guardsettings.h"
#include "settings/settingsformat.h"

namespace {

using settingsformat::KeyInfo;

bool wholeNumber(const std::string& text, int& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    long n = std::strtol(text.c_str(), &end, 10);
    if (*end) return false;
    value = (int)n;
    return true;
}

struct Change {
    const KeyInfo* key;
    std::string value;
};

// Every KEY=VALUE checked against the loader's ranges; false after a message.
bool parseChanges(int argc, char** argv, int first, std::vector<Change>& out) {
    for (int i = first; i < argc; ++i) {
        std::string arg = argv[i];
        size_t eq = arg.find('=');
        const KeyInfo* key =
            eq == std::string::npos ? nullptr : settingsformat::findKey(arg.substr(0, eq));
        if (!key) {
            std::fprintf(stderr, "tarnelcfg: \"%s\" is not KEY=VALUE with a known key\n",
                         arg.c_str());
            return false;
        }
        std::string value = arg.substr(eq + 1);
        int n = 0;
        // Flags are asked for as 0 or 1, numbers within the loader's range.
        if (key->kind != KeyInfo::Text &&
            (!wholeNumber(value, n) || n < key->low || n > key->high)) {
            std::fprintf(stderr, "tarnelcfg: %s must be a whole number from %d to %d, not \"%s\"\n",
                         key->name, key->low, key->high, value.c_str());
            return false;
        }
        out.push_back({key, value});
    }
    return true;
}

// Settings read from file without writing it: the record's own file is a
// scratch copy that goes with it.
class Scratch {
  public:
    Scratch() {
        char dir[MAX_PATH] = {}, name[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, dir);
        GetTempFileNameA(dir, "tcf", 0, name);
        path_ = name;
        settings_ = new GuardSettings(path_);
    }
    ~Scratch() {
        delete settings_;
        DeleteFileA(path_.c_str());
    }
    GuardSettings& operator*() { return *settings_; }
    GuardSettings* operator->() { return settings_; }

  private:
    std::string path_;
    GuardSettings* settings_;
};

int show(const std::string& file, bool password) {
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "tarnelcfg: %s does not exist\n", file.c_str());
        return 2;
    }
    Scratch s;
    s->load(file);
    const settingsformat::Values v = s->values();
    for (const KeyInfo& k : settingsformat::kKeys) {
        std::string text = settingsformat::valueText(v, k);
        if (k.text == &settingsformat::Values::password && !password && !text.empty())
            text = "(hidden)";
        std::printf("%s: %s\n", k.name, text.c_str());
    }
    return 0;
}

int write(const std::string& file, const std::vector<Change>& changes, bool keepOld) {
    Scratch s;
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

int usage() {
    std::fprintf(stderr, "usage: tarnelcfg show FILE [--show-password] | set FILE KEY=VALUE... | "
                         "new FILE | check KEY=VALUE...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    std::string command = argv[1];
    std::vector<Change> changes;
    if (command == "check") return parseChanges(argc, argv, 2, changes) ? 0 : 2;
    if (argc < 3) return usage();
    std::string file = argv[2];
    if (command == "show") return show(file, argc > 3 && std::string(argv[3]) == "--show-password");
    if (command == "new") return argc == 3 ? write(file, changes, false) : usage();
    if (command == "set") {
        if (!parseChanges(argc, argv, 3, changes)) return 2;
        return write(file, changes, true);
    }
    return usage();
}
