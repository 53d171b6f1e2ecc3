// The session report's texts: one block of the report log and the one-line
// registry message. Pure text functions, free of the platform.
#pragma once
#include <string>
#include <vector>

struct ReportTexts {
    std::string quitAction;       // entry 7
    std::string currentDrawing;   // entry 8
    std::string currentAction;    // entry 9
    std::string otherDrawing;     // entry 10
    std::string otherAction;      // entry 11
    std::string status;           // entry 12
    std::string separator;        // entry 13
    std::string messageAborted;   // entry 14
    std::string messageSaved;     // entry 15
    std::string rescue;           // entry 16
    std::string messageRescued;   // entry 17
    std::string messageNotSaved;  // entry 18
    std::string cancelled;        // entry 19
    std::string messageCancelled; // entry 20
    std::string stayedBusy;       // entry 21
    std::string moreRescued;      // entry 22
};

// The texts used when the resource library lacks an entry.
ReportTexts builtInReportTexts();
// The block with "\n" line breaks; timeText is "dd.mm.yyyy at hh:mm:ss".
std::string reportBlock(const ReportTexts& texts, const std::string& timeText,
                        const std::string& target, int action, int status);
// A saving action's status 0 (the drawing could be saved neither to target
// nor to a rescue copy) says so instead of naming target as saved.
std::string registryMessage(const ReportTexts& texts, const std::string& timeText,
                            const std::string& target, int action, int status);
// The block and the message of a drawing that could not be saved to target
// and went to the rescue copy instead: status 0, and where the copy is.
std::string rescueBlock(const ReportTexts& texts, const std::string& timeText,
                        const std::string& target, int action, const std::string& rescue);
std::string rescueMessage(const ReportTexts& texts, const std::string& timeText,
                          const std::string& target, const std::string& rescue);
// The message for every drawing of one close that went to a rescue copy
// (target, rescue), in order: a line each for the first three, then how
// many more there were.
std::string rescuesMessage(const ReportTexts& texts, const std::string& timeText,
                           const std::vector<std::pair<std::string, std::string>>& rescued);
// The block written when what waited in the host was cancelled before the
// close: one line for each thing cancelled.
std::string cancelledBlock(const ReportTexts& texts, const std::string& timeText,
                           const std::vector<std::string>& cancelled);
// The message with the sentence that tells what was cancelled before the
// close; the message itself when nothing was.
std::string withCancelled(const ReportTexts& texts, const std::string& message,
                          const std::vector<std::string>& cancelled);
// The block for a Group Policy value the module ignored, and why.
std::string ignoredPolicyBlock(const ReportTexts& texts, const std::string& timeText,
                               const std::string& fault);
// The block written when a drawing stayed busy after the cancel, so that
// nothing was closed.
std::string stayedBusyBlock(const ReportTexts& texts, const std::string& timeText,
                            const std::string& busy);
// The block for a licence server whose answer did not tell how many
// licences were free, and why: the seat was closed on idle time alone.
std::string licenseUnknownBlock(const ReportTexts& texts, const std::string& timeText,
                                const std::string& reason);
// The block for records of a log that could not be kept, and why.
std::string logFaultBlock(const ReportTexts& texts, const std::string& timeText,
                          const std::string& fault);
// A log's folder that cannot be written: which log, the folder and why.
std::string logUnwritableBlock(const ReportTexts& texts, const std::string& timeText,
                               const std::string& what);
// The next start's message that could not be left: where, and why.
std::string messageNotLeftBlock(const ReportTexts& texts, const std::string& timeText,
                                const std::string& what);
// "\n" written as CR LF.
std::string withCrLf(const std::string& text);
