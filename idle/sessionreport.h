// What the close action leaves behind for each drawing: a block in the
// report log in the working directory (written by the log writer, never on
// the host's thread), and the registry message shown at the next start.
#pragma once
#include <string>
#include <vector>
#include "cmdlog/logfile.h"

// Whether a report replaces the registry message an earlier drawing of the
// same close action left.
enum class MessageChoice { Replace, KeepEarlier };

// Appends the block to "tarnel.log" in the working directory, or in the
// user's temporary folder when that one cannot be written, and replaces
// the registry value "Message" (unless told to keep the earlier one)
// whatever became of the block. A block is written whole or not at all.
void reportClosedDrawing(const std::string& target, int action, int status,
                         MessageChoice choice = MessageChoice::Replace);
// The same for a drawing that could not be saved to target and was saved
// as the rescue copy instead; its message always replaces the earlier one.
void reportRescuedDrawing(const std::string& target, int action, const std::string& rescue);

// What waited in the host and was cancelled before a close: a block in the
// report log now, and a sentence added to every registry message until
// forgetCancelledBeforeClose.
void reportCancelledBeforeClose(const std::vector<std::string>& cancelled);
void forgetCancelledBeforeClose();
// A drawing still busy after the cancel: nothing is closed.
void reportStayedBusy(const std::string& busy);
// A Group Policy value the module ignored, and why: one line.
void reportIgnoredPolicy(const std::string& fault);
// The licence server's answer did not tell how many licences were free: one line.
void reportLicenseUnknown(const std::string& reason);
// Records of a log that could not be kept, and why: one line (from any thread).
void reportLogFault(const std::string& fault);
// A log whose folder cannot be written, and why: one line (from any thread).
void reportLogUnwritable(const std::string& what);
// The report log's kind, for its writer.
const LogKind& reportLogKind();
