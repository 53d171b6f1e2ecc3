#include "shell/lastrunmessage.h"
#include <string>
#include <vector>
#include "shell/hostcalls.h"
#include "resources/resource.h"
#include "shell/registrymessage.h"
#include "shell/stringloader.h"

void showLastRunMessage() {
    const std::string key = tarnelRegistryKey();
    // The value is read whole, whatever its length, so a long one is shown
    // (as much as the box takes) and deleted instead of coming back at
    // every start.
    std::string text, faults;
    const bool message = readRegistryMessage(key, text);
    // Log records that could not be kept are told too, after the message.
    if (readRegistryLogFaults(key, faults) && !faults.empty())
        text += (text.empty() ? "" : "\n\n") + std::string("Tarnel could not write every log record:\n") +
                faults;
    else if (!message)
        return;
    if (text.size() > kLastRunShownMax) text.resize(kLastRunShownMax);
    if (text.empty()) return;
    std::string caption = loadString(IDS_LASTRUN_CAPTION);
    // A box that could not be shown has told nobody: the message stays. That
    // is 0 from Windows; Wine passes on the dialog's -1.
    if (MessageBoxA(host::mainWindow(), text.c_str(), caption.c_str(),
                    MB_ICONINFORMATION | MB_OK) <= 0)
        return;
    deleteRegistryMessage(key);
    deleteRegistryLogFaults(key);
}
