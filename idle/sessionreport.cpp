// GuardApp::writeSessionReport: the report log and the registry message.
#include <ctime>
#include "guardapp.h"
#include "handles.h"
#include "reportformat.h"
#include "resource.h"
#include "resourcescope.h"
#include "stringloader.h"

namespace {

ReportTexts loadReportTexts() {
    ReportTexts t = builtInReportTexts();
    auto pick = [](unsigned id, std::string& text) { text = loadStringOr(id, text.c_str()); };
    pick(IDS_REPORT_QUIT_ACTION, t.quitAction);
    pick(IDS_REPORT_CURRENT_DRAWING, t.currentDrawing);
    pick(IDS_REPORT_CURRENT_ACTION, t.currentAction);
    pick(IDS_REPORT_OTHER_DRAWING, t.otherDrawing);
    pick(IDS_REPORT_OTHER_ACTION, t.otherAction);
    pick(IDS_REPORT_STATUS, t.status);
    pick(IDS_REPORT_SEPARATOR, t.separator);
    pick(IDS_MESSAGE_ABORTED, t.messageAborted);
    pick(IDS_MESSAGE_SAVED, t.messageSaved);
    return t;
}

std::string timeText(std::time_t now) {
    char text[64] = {};
    if (std::tm* local = std::localtime(&now))
        std::strftime(text, sizeof text, "%d.%m.%Y at %H:%M:%S", local);
    return text;
}

// Appends the block to the report log; false when the file cannot be opened.
bool appendToReportLog(const std::string& block) {
    char dir[MAX_PATH] = {};
    DWORD n = GetCurrentDirectoryA(MAX_PATH, dir);
    if (n == 0 || n >= MAX_PATH) return false;
    std::string path = std::string(dir) + "\\tarnel.log";
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    LARGE_INTEGER end = {};
    if (!SetFilePointerEx(file.get(), end, nullptr, FILE_END)) return false;
    const std::string bytes = withCrLf(block);
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    return true;
}

void leaveRegistryMessage(const std::string& message) {
    RegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, tarnelRegistryKey().c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key.get(), "Message", 0, REG_SZ, (const BYTE*)message.c_str(),
                   (DWORD)message.size() + 1);
}

} // namespace

void GuardApp::writeSessionReport(const std::string& target, int action, int status) {
    ResourceScope scope;
    const std::string when = timeText(std::time(nullptr));
    const ReportTexts texts = loadReportTexts();
    if (!appendToReportLog(reportBlock(texts, when, target, action, status))) return;
    leaveRegistryMessage(registryMessage(texts, when, target, action, status));
}
