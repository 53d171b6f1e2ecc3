#include "idle/reportformat.h"
#include "idle/closeactioncode.h"
#include "common/textformat.h"

ReportTexts builtInReportTexts() {
    return {"  Action: Quit, don't save.\n",
            "  Drawing: %s \n",
            "Save to current dwg.",
            "  Drawing: %s \n",
            "Save to other dwg.",
            "  Status: %d \n",
            std::string(59, '=') + "\n",
            "Your last session was aborted %s.",
            "Your last session was saved to %s %s with status %d.",
            "  Could not be saved there; rescue copy: %s \n",
            "Your last session could not save %s %s. A rescue copy was saved to %s.",
            "Your last session could not save %s %s. The drawing was left open with its changes.",
            "  Cancelled before the close: %s \n",
            " Before the close, Tarnel cancelled %s.",
            "  Nothing was closed: %s stayed busy after the cancel. \n",
            "And %d more drawings went to rescue copies: see tarnel.log."};
}

namespace {
// The block up to its separator.
std::string blockLines(const ReportTexts& t, const std::string& timeText, const std::string& target,
                       int action, int status) {
    std::string block = timeText + "\n";
    if (action == SaveToCurrentDrawing)
        block += formatText(t.currentDrawing.c_str(), target.c_str()) + t.currentAction;
    else if (action == SaveToOtherDrawing)
        block += formatText(t.otherDrawing.c_str(), target.c_str()) + t.otherAction;
    else
        block += t.quitAction;
    if (action != QuitWithoutSaving) block += formatText(t.status.c_str(), status);
    return block;
}
} // namespace

std::string reportBlock(const ReportTexts& t, const std::string& timeText,
                        const std::string& target, int action, int status) {
    return blockLines(t, timeText, target, action, status) + t.separator;
}

std::string rescueBlock(const ReportTexts& t, const std::string& timeText,
                        const std::string& target, int action, const std::string& rescue) {
    return blockLines(t, timeText, target, action, 0) +
           formatText(t.rescue.c_str(), rescue.c_str()) + t.separator;
}

std::string rescueMessage(const ReportTexts& t, const std::string& timeText,
                          const std::string& target, const std::string& rescue) {
    return formatText(t.messageRescued.c_str(), target.c_str(), timeText.c_str(), rescue.c_str());
}

std::string rescuesMessage(const ReportTexts& t, const std::string& timeText,
                           const std::vector<std::pair<std::string, std::string>>& rescued) {
    std::string text;
    const size_t shown = rescued.size() < 3 ? rescued.size() : 3;
    for (size_t i = 0; i < shown; ++i)
        text += (i ? "\n" : "") + rescueMessage(t, timeText, rescued[i].first, rescued[i].second);
    if (rescued.size() > shown)
        text += "\n" + formatText(t.moreRescued.c_str(), (int)(rescued.size() - shown));
    return text;
}

std::string registryMessage(const ReportTexts& t, const std::string& timeText,
                            const std::string& target, int action, int status) {
    if (action == QuitWithoutSaving) return formatText(t.messageAborted.c_str(), timeText.c_str());
    if (status == 0) return formatText(t.messageNotSaved.c_str(), target.c_str(), timeText.c_str());
    return formatText(t.messageSaved.c_str(), target.c_str(), timeText.c_str(), status);
}

std::string cancelledBlock(const ReportTexts& t, const std::string& timeText,
                           const std::vector<std::string>& cancelled) {
    std::string block = timeText + "\n";
    for (const std::string& what : cancelled)
        block += formatText(t.cancelled.c_str(), what.c_str());
    return block + t.separator;
}

std::string withCancelled(const ReportTexts& t, const std::string& message,
                          const std::vector<std::string>& cancelled) {
    if (cancelled.empty()) return message;
    std::string all;
    for (const std::string& what : cancelled)
        all += (all.empty() ? "" : ", ") + what;
    return message + formatText(t.messageCancelled.c_str(), all.c_str());
}

namespace {

// A block of one labelled line: the time, "  label: text ", the separator.
std::string oneLineBlock(const ReportTexts& t, const std::string& timeText, const char* label,
                         const std::string& text) {
    return timeText + "\n  " + label + ": " + text + " \n" + t.separator;
}

} // namespace

std::string ignoredPolicyBlock(const ReportTexts& t, const std::string& timeText,
                               const std::string& fault) {
    return oneLineBlock(t, timeText, "Group Policy value ignored", fault);
}

std::string licenseUnknownBlock(const ReportTexts& t, const std::string& timeText,
                                const std::string& reason) {
    return oneLineBlock(t, timeText, "Licences free not known, closed on idle time alone", reason);
}

std::string logFaultBlock(const ReportTexts& t, const std::string& timeText,
                          const std::string& fault) {
    return oneLineBlock(t, timeText, "Log records lost", fault);
}

std::string logUnwritableBlock(const ReportTexts& t, const std::string& timeText,
                               const std::string& what) {
    return oneLineBlock(t, timeText, "Log folder cannot be written", what);
}

std::string messageNotLeftBlock(const ReportTexts& t, const std::string& timeText,
                                const std::string& what) {
    return oneLineBlock(t, timeText, "Message for the next start not left", what);
}

std::string stayedBusyBlock(const ReportTexts& t, const std::string& timeText,
                            const std::string& busy) {
    return timeText + "\n" + formatText(t.stayedBusy.c_str(), busy.c_str()) + t.separator;
}

std::string withCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}
