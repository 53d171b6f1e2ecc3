#include "guardsettings.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include "scopeguard.h"
#include "settingsformat.h"

using namespace settingsformat;

std::function<bool(int)> GuardSettings::writeFault;

namespace {

std::string defaultLogFolder() {
    char buffer[MAX_PATH] = {};
    DWORD n = GetTempPathA(MAX_PATH, buffer);
    std::string folder = (n > 0 && n < MAX_PATH) ? buffer : "";
    size_t slash = folder.rfind('\\');
    return slash == std::string::npos ? folder : folder.substr(0, slash);
}

bool readLine(FILE* f, std::string& line) {
    line.clear();
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, f)) {
        line += chunk;
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
            return true;
        }
    }
    return !line.empty();
}

void storeRanged(int& field, const std::string& value, int low, int high) {
    int n = std::atoi(value.c_str());
    if (n >= low && n <= high) field = n;
}

} // namespace

GuardSettings::GuardSettings(const std::string& path)
    : configPath(path), Logfilepath(defaultLogFolder()) {
    load(configPath);
}

GuardSettings::~GuardSettings() {
    saveTo(configPath);
}

bool GuardSettings::load(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return false;
    auto closer = onScopeExit([f] { std::fclose(f); });
    std::string line, key, value;
    while (readLine(f, line)) {
        scramble(line);
        if (!splitLine(line, key, value)) continue;
        if (equalsNoCase(key, "Protection"))
            Protection = std::atoi(value.c_str()) != 0;
        else if (equalsNoCase(key, "Password"))
            Password = value;
        else if (equalsNoCase(key, "TimeInactivity"))
            storeRanged(TimeInactivity, value, 1, 120);
        else if (equalsNoCase(key, "TimeCountdown"))
            storeRanged(TimeCountdown, value, 1, 60);
        else if (equalsNoCase(key, "Action"))
            storeRanged(Action, value, 0, 2);
        else if (equalsNoCase(key, "AllowDisable"))
            AllowDisable = std::atoi(value.c_str()) != 0;
        else if (equalsNoCase(key, "EnableLogging"))
            EnableLogging = std::atoi(value.c_str()) != 0;
        else if (equalsNoCase(key, "LogfilenameType"))
            storeRanged(LogfilenameType, value, 0, 1);
        else if (equalsNoCase(key, "Logfilepath"))
            Logfilepath = value;
    }
    return true;
}

bool GuardSettings::saveTo(const std::string& path) {
    const std::string lines[] = {
        "Protection:" + std::to_string(Protection ? 1 : 0),
        "Password:" + Password,
        "TimeInactivity:" + std::to_string(TimeInactivity),
        "TimeCountdown:" + std::to_string(TimeCountdown),
        "Action:" + std::to_string(Action),
        "AllowDisable:" + std::to_string(AllowDisable ? 1 : 0),
        "EnableLogging:" + std::to_string(EnableLogging ? 1 : 0),
        "LogfilenameType:" + std::to_string(LogfilenameType),
        "Logfilepath:" + Logfilepath,
    };
    // The new file is written beside the old one and replaces it only when
    // complete, so a failed save never leaves a truncated settings file.
    const std::string temp = path + ".new";
    FILE* f = std::fopen(temp.c_str(), "w");
    if (!f) return false;
    auto discard = onScopeExit([&] { DeleteFileA(temp.c_str()); });
    bool ok = true;
    int index = 0;
    for (std::string line : lines) {
        if (writeFault && !writeFault(index)) {
            ok = false;
            break;
        }
        ++index;
        scramble(line);
        ok = std::fputs(line.c_str(), f) >= 0 && std::fputs("\n", f) >= 0;
        if (!ok) break;
    }
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) return false;
    if (!MoveFileExA(temp.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    discard.dismiss();
    return true;
}

bool GuardSettings::checkPassword(const std::string& text) const {
    return !Protection || text == Password;
}
