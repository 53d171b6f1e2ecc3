#include "settings/guardsettings.h"
#include "settings/folderpath.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include "cmdlog/logfilename.h"
#include "common/faultpoint.h"
#include "common/handles.h"
#include "common/scopeguard.h"
#include "settings/policyregistry.h"
#include "settings/settingsformat.h"

using namespace settingsformat;

namespace {

std::string defaultLogFolder() {
    char buffer[MAX_PATH] = {};
    DWORD n = GetTempPathA(MAX_PATH, buffer);
    std::string folder = (n > 0 && n < MAX_PATH) ? buffer : "";
    size_t slash = folder.rfind('\\');
    return slash == std::string::npos ? folder : folder.substr(0, slash);
}

// The whole file in binary: the format's own line ends are handled by
// fileLines, and no byte ends the file early.
bool readAll(const std::string& path, std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    auto closer = onScopeExit([f] { std::fclose(f); });
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.append(chunk, n);
    return true;
}

// A file beside path that no other process, here or on another seat of a
// shared folder, writes at the same time: CREATE_NEW claims the name.
FileHandle createTempBeside(const std::string& path, std::string& temp) {
    char tag[32];
    std::snprintf(tag, sizeof tag, ".%lx", (unsigned long)GetCurrentProcessId());
    for (int n = 0; n < 64; ++n) {
        temp = path + tag + "-" + std::to_string(n) + ".new";
        if (faultpoint::fails("CreateFileA")) return FileHandle();
        FileHandle f(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (f.valid() || GetLastError() != ERROR_FILE_EXISTS) return f;
    }
    return FileHandle();
}

bool writeAll(HANDLE file, const std::string& bytes) {
    if (faultpoint::fails("WriteFile")) return false;
    DWORD written = 0;
    return WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
           written == bytes.size();
}

} // namespace

GuardSettings::GuardSettings(const std::string& path) : configPath(path) {
    v.logfilepath = defaultLogFolder();
    load(configPath);
    setPolicy(readPolicy());
}

GuardSettings::~GuardSettings() {
    saveTo(configPath);
}

bool GuardSettings::load(const std::string& path) {
    std::string bytes;
    if (!readAll(path, bytes)) return false;
    fileKeys = readInto(v, bytes);
    applyPolicy();
    return true;
}

bool GuardSettings::saveTo(const std::string& path) {
    // A read-only settings file is a preset the administrator locked.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) return false;

    const std::string bytes = fileBytes(plainLinesOf(v));
    // The new file is written beside the old one, on disk before it replaces
    // it, so a failed save never leaves a truncated settings file.
    std::string temp;
    FileHandle file = createTempBeside(path, temp);
    if (!file.valid()) return false;
    auto discard = onScopeExit([&] {
        file.reset();
        DeleteFileA(temp.c_str());
    });
    if (!writeAll(file.get(), bytes)) return false;
    if (faultpoint::fails("FlushFileBuffers") || !FlushFileBuffers(file.get())) return false;
    file.reset();
    if (faultpoint::fails("MoveFileExA") ||
        !MoveFileExA(temp.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    discard.dismiss();
    if (exists) SetFileAttributesA(path.c_str(), attributes);
    return true;
}

void GuardSettings::buildLogFileName() {
    if (e.logfilenameType != 0 && e.logfilenameType != 1) return;
    char stamp[32] = {};
    std::time_t now = std::time(nullptr);
    if (std::tm* local = std::localtime(&now))
        std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M", local);
    // An empty folder would put the log at the root of the working drive.
    const std::string written = folderpath::inUse(e.logfilepath);
    const std::string folder = written.empty() ? defaultLogFolder() : written;
    logFileName = logFileNameFor(e.logfilenameType, folder, std::getenv("USERNAME"), stamp);
}

bool GuardSettings::checkPassword(const std::string& text) const {
    return !v.protection || text == v.password;
}
