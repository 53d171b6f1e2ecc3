#include "idle/sessionreport.h"
#include <ctime>
#include "common/faultpoint.h"
#include "common/handles.h"
#include "common/wholewrite.h"
#include "idle/reportformat.h"
#include "resources/resource.h"
#include "shell/registrymessage.h"
#include "shell/resourcescope.h"
#include "shell/stringloader.h"

namespace {

// What the close under way cancelled first.
std::vector<std::string> cancelledBeforeClose;

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
    pick(IDS_REPORT_RESCUE, t.rescue);
    pick(IDS_MESSAGE_RESCUED, t.messageRescued);
    pick(IDS_MESSAGE_NOT_SAVED, t.messageNotSaved);
    pick(IDS_REPORT_CANCELLED, t.cancelled);
    pick(IDS_MESSAGE_CANCELLED, t.messageCancelled);
    pick(IDS_REPORT_STAYED_BUSY, t.stayedBusy);
    return t;
}

std::string timeText(std::time_t now) {
    char text[64] = {};
    if (std::tm* local = std::localtime(&now))
        std::strftime(text, sizeof text, "%d.%m.%Y at %H:%M:%S", local);
    return text;
}

// Appends the block to path whole, or leaves the file as it was (false).
bool appendBlockTo(const std::string& path, const std::string& block) {
    if (faultpoint::fails("CreateFileA")) return false;
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    LARGE_INTEGER zero = {}, end = {};
    if (faultpoint::fails("SetFilePointerEx") ||
        !SetFilePointerEx(file.get(), zero, &end, FILE_END))
        return false;
    // A part of a block would be read as a report.
    return writeWholeAt(file.get(), end, withCrLf(block));
}

// "folder\tarnel.log", or empty when folder could not be had.
std::string logIn(const char* folder, DWORD n) {
    if (n == 0 || n >= MAX_PATH) return std::string();
    std::string path = folder;
    if (path.back() != '\\') path += '\\';
    return path + "tarnel.log";
}

// Appends the block to the report log in the working directory; when that
// cannot be written (held, a folder, a folder gone or read-only), to the
// one in the user's temporary folder.
void appendToReportLog(const std::string& block) {
    char dir[MAX_PATH] = {};
    const std::string work = logIn(dir, GetCurrentDirectoryA(MAX_PATH, dir));
    if (!work.empty() && appendBlockTo(work, block)) return;
    char temp[MAX_PATH] = {};
    const std::string fallback = logIn(temp, GetTempPathA(MAX_PATH, temp));
    if (!fallback.empty() && _stricmp(fallback.c_str(), work.c_str()) != 0)
        appendBlockTo(fallback, block);
}

} // namespace

void reportClosedDrawing(const std::string& target, int action, int status, MessageChoice choice) {
    ResourceScope scope;
    const std::string when = timeText(std::time(nullptr));
    const ReportTexts texts = loadReportTexts();
    // The next start tells the user whatever became of the block.
    appendToReportLog(reportBlock(texts, when, target, action, status));
    if (choice == MessageChoice::Replace)
        writeRegistryMessage(tarnelRegistryKey(),
                             withCancelled(texts,
                                           registryMessage(texts, when, target, action, status),
                                           cancelledBeforeClose));
}

void reportRescuedDrawing(const std::string& target, int action, const std::string& rescue) {
    ResourceScope scope;
    const std::string when = timeText(std::time(nullptr));
    const ReportTexts texts = loadReportTexts();
    appendToReportLog(rescueBlock(texts, when, target, action, rescue));
    writeRegistryMessage(
        tarnelRegistryKey(),
        withCancelled(texts, rescueMessage(texts, when, target, rescue), cancelledBeforeClose));
}

void reportCancelledBeforeClose(const std::vector<std::string>& cancelled) {
    cancelledBeforeClose = cancelled;
    if (cancelled.empty()) return;
    ResourceScope scope;
    appendToReportLog(cancelledBlock(loadReportTexts(), timeText(std::time(nullptr)), cancelled));
}

void forgetCancelledBeforeClose() {
    cancelledBeforeClose.clear();
}

void reportIgnoredPolicy(const std::string& fault) {
    ResourceScope scope;
    appendToReportLog(ignoredPolicyBlock(loadReportTexts(), timeText(std::time(nullptr)), fault));
}

void reportStayedBusy(const std::string& busy) {
    ResourceScope scope;
    appendToReportLog(stayedBusyBlock(loadReportTexts(), timeText(std::time(nullptr)), busy));
}
