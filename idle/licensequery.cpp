#include "idle/licensequery.h"
#include <new>
#include "common/commandline.h"
#include "common/criticalsection.h"
#include "common/errortext.h"
#include "common/handles.h"

// What the thread and the host's side share; the last of the two to let go
// frees it.
struct LicenseQuery::Shared {
    CriticalSection lock;
    LONG holders = 2;
    bool done = false;
    LicenseQuestion question;
    LicenseStatus status;

    void release() {
        if (InterlockedDecrement(&holders) == 0) delete this;
    }
};

namespace {

bool fileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Runs the question's tool and reads what it prints until it ends or the
// time is up (then it is ended); the status it gave.
LicenseStatus runTool(const LicenseQuestion& question) {
    LicenseStatus status;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    FileHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.put(), writeEnd.put(), &inherit, 0)) {
        status.reason = "the status tool could not be started: " + systemErrorText(GetLastError());
        return status;
    }
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    PROCESS_INFORMATION process = {};
    std::string command = licenseCommandLine(question);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        status.reason = "the status tool could not be started: " + systemErrorText(GetLastError());
        return status;
    }
    FileHandle processHandle(process.hProcess), threadHandle(process.hThread);
    writeEnd.reset(); // the tool's end alone: its exit ends the pipe
    std::string output;
    const DWORD began = GetTickCount();
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr)) break;
        if (available > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!ReadFile(readEnd.get(), buffer, sizeof buffer, &got, nullptr)) break;
            if (output.size() < 1 << 20) output.append(buffer, got);
            continue;
        }
        if (GetTickCount() - began >= question.timeoutMs) {
            TerminateProcess(processHandle.get(), 1);
            const DWORD seconds = (question.timeoutMs + 999) / 1000;
            status.reason = "no answer within " + std::to_string(seconds) +
                            (seconds == 1 ? " second" : " seconds");
            return status;
        }
        Sleep(20);
    }
    return readLicenseStatus(output, question.feature);
}

DWORD WINAPI askThread(void* data) {
    auto* shared = static_cast<LicenseQuery::Shared*>(data);
    LicenseStatus status;
    try {
        status = runTool(shared->question);
    } catch (...) {
        status = LicenseStatus();
        status.reason = "the question could not be asked";
    }
    {
        Locked hold(shared->lock);
        shared->status = status;
        shared->done = true;
    }
    shared->release();
    return 0;
}

} // namespace

std::string licenseCommandLine(const LicenseQuestion& q) {
    return commandLine({q.tool, "lmstat", "-c", q.server, "-f", q.feature, "-t", "10"});
}

std::string licenseTool(const std::string& setting, const std::string& moduleFolder) {
    if (!setting.empty()) return setting;
    const std::string beside = moduleFolder + "\\lmutil.exe";
    return fileExists(beside) ? beside : "lmutil.exe";
}

LicenseQuery::~LicenseQuery() {
    drop();
}

bool LicenseQuery::ask(const LicenseQuestion& question, LicenseStatus& status) {
    drop();
    Shared* shared = new (std::nothrow) Shared;
    if (!shared) {
        status = LicenseStatus();
        status.reason = "the question could not be asked";
        return false;
    }
    shared->question = question;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, askThread, shared, 0, &id);
    if (!thread) {
        status = LicenseStatus();
        status.reason = "the question could not be asked: " + systemErrorText(GetLastError());
        delete shared;
        return false;
    }
    CloseHandle(thread);
    shared_ = shared;
    return true;
}

bool LicenseQuery::answered(LicenseStatus& status) {
    if (!shared_) return false;
    {
        Locked hold(shared_->lock);
        if (!shared_->done) return false;
        status = shared_->status;
    }
    shared_->release();
    shared_ = nullptr;
    return true;
}

void LicenseQuery::drop() {
    if (!shared_) return;
    shared_->release();
    shared_ = nullptr;
}
