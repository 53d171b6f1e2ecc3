#include "idle/sessionreport.h"
#include <ctime>
#include "cmdlog/logwriter.h"
#include "common/errortext.h"
#include "idle/reportformat.h"
#include "resources/resource.h"
#include "shell/registrymessage.h"
#include "shell/resourcescope.h"
#include "shell/stringloader.h"

namespace {

// What the close under way cancelled first, and the rescue copies it made.
std::vector<std::string> cancelledBeforeClose;
std::vector<std::pair<std::string, std::string>> rescuedThisClose;

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
    pick(IDS_MESSAGE_MORE_RESCUED, t.moreRescued);
    return t;
}

std::string timeText(std::time_t now) {
    char text[64] = {};
    if (std::tm* local = std::localtime(&now))
        std::strftime(text, sizeof text, "%d.%m.%Y at %H:%M:%S", local);
    return text;
}

// "folder\tarnel.log", or empty when folder could not be had.
std::string logIn(const char* folder, DWORD n) {
    if (n == 0 || n >= MAX_PATH) return std::string();
    std::string path = folder;
    if (path.back() != '\\') path += '\\';
    return path + "tarnel.log";
}

// The one in the user's temporary folder, when the working directory's
// cannot be written (held, a folder, a folder gone or read-only).
std::string reportLogFallback(const std::string& file) {
    char temp[MAX_PATH] = {};
    const std::string fallback = logIn(temp, GetTempPathA(MAX_PATH, temp));
    return _stricmp(fallback.c_str(), file.c_str()) == 0 ? std::string() : fallback;
}

std::string reportLogHeader() {
    return std::string();
}

std::string reportLogLost(unsigned long lost) {
    return "Tarnel: " + std::to_string(lost) +
           " report blocks were lost while the report log could not be written\r\n";
}

const LogKind kReportLog = {"report", reportLogHeader, reportLogLost, "report blocks",
                            reportLogFallback};

// Queues the block for the report log in the working directory, through
// the log writer: the host's thread never opens the file, which is often
// on the drawing's share. A block is written whole or not at all.
void appendToReportLog(const std::string& block) {
    char dir[MAX_PATH] = {};
    std::string work = logIn(dir, GetCurrentDirectoryA(MAX_PATH, dir));
    if (work.empty()) work = reportLogFallback(std::string());
    appendRecord(work, kReportLog, withCrLf(block));
}

} // namespace

// The message for the next start, under the host's key; a message that
// cannot be left is said in the report log, in Windows' words.
static void leaveMessage(const ReportTexts& texts, const std::string& when,
                         const std::string& text) {
    const std::string key = tarnelRegistryKey();
    const long status = writeRegistryMessage(key, text);
    if (status != ERROR_SUCCESS)
        appendToReportLog(messageNotLeftBlock(texts, when,
                                              "HKEY_CURRENT_USER\\" + key + ": " +
                                                  systemErrorText((DWORD)status)));
}

void reportClosedDrawing(const std::string& target, int action, int status, MessageChoice choice) {
    ResourceScope scope;
    const std::string when = timeText(std::time(nullptr));
    const ReportTexts texts = loadReportTexts();
    // The next start tells the user whatever became of the block.
    appendToReportLog(reportBlock(texts, when, target, action, status));
    if (choice == MessageChoice::Replace)
        leaveMessage(texts, when,
                     withCancelled(texts, registryMessage(texts, when, target, action, status),
                                   cancelledBeforeClose));
}

void reportRescuedDrawing(const std::string& target, int action, const std::string& rescue) {
    ResourceScope scope;
    const std::string when = timeText(std::time(nullptr));
    const ReportTexts texts = loadReportTexts();
    appendToReportLog(rescueBlock(texts, when, target, action, rescue));
    // Every drawing of this close that went to a rescue copy is named.
    rescuedThisClose.push_back({target, rescue});
    leaveMessage(texts, when,
                 withCancelled(texts, rescuesMessage(texts, when, rescuedThisClose),
                               cancelledBeforeClose));
}

void reportCancelledBeforeClose(const std::vector<std::string>& cancelled) {
    cancelledBeforeClose = cancelled;
    if (cancelled.empty()) return;
    ResourceScope scope;
    appendToReportLog(cancelledBlock(loadReportTexts(), timeText(std::time(nullptr)), cancelled));
}

void forgetCancelledBeforeClose() {
    cancelledBeforeClose.clear();
    rescuedThisClose.clear();
}

void reportIgnoredPolicy(const std::string& fault) {
    ResourceScope scope;
    appendToReportLog(ignoredPolicyBlock(loadReportTexts(), timeText(std::time(nullptr)), fault));
}

void reportLicenseUnknown(const std::string& reason) {
    ResourceScope scope;
    appendToReportLog(licenseUnknownBlock(loadReportTexts(), timeText(std::time(nullptr)), reason));
}

void reportStayedBusy(const std::string& busy) {
    ResourceScope scope;
    appendToReportLog(stayedBusyBlock(loadReportTexts(), timeText(std::time(nullptr)), busy));
}

const LogKind& reportLogKind() {
    return kReportLog;
}

void reportLogFault(const std::string& fault) {
    // Any thread: the built-in texts, as the resource library is the host's.
    appendToReportLog(logFaultBlock(builtInReportTexts(), timeText(std::time(nullptr)), fault));
}

void reportLogUnwritable(const std::string& what) {
    appendToReportLog(
        logUnwritableBlock(builtInReportTexts(), timeText(std::time(nullptr)), what));
}
