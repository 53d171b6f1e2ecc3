// The session report's texts: one block of the report log and the one-line
// registry message. Pure text functions, free of the platform.
#pragma once
#include <string>

struct ReportTexts {
    std::string quitAction;      // entry 7
    std::string currentDrawing;  // entry 8
    std::string currentAction;   // entry 9
    std::string otherDrawing;    // entry 10
    std::string otherAction;     // entry 11
    std::string status;          // entry 12
    std::string separator;       // entry 13
    std::string messageAborted;  // entry 14
    std::string messageSaved;    // entry 15
    std::string rescue;          // entry 16
    std::string messageRescued;  // entry 17
    std::string messageNotSaved; // entry 18
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
// "\n" written as CR LF.
std::string withCrLf(const std::string& text);
