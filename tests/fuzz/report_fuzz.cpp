// The report block and the registry message from any target name, action
// and status, and those of a rescued drawing: whole blocks, CR LF only, the
// target (and the rescue copy) written as they are.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include "idle/reportformat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    int action = data[0] % 4; // 3: not an action at all
    int status;
    std::memcpy(&status, data + 1, sizeof status);
    // A drawing's name comes from the host as a C string.
    std::string target(reinterpret_cast<const char*>(data + 5), size - 5);
    target = target.substr(0, target.find('\0'));
    const ReportTexts texts = builtInReportTexts();
    const std::string when = "06.12.2026 at 18:40:05";
    std::string block = reportBlock(texts, when, target, action, status);
    if (block.compare(0, when.size() + 1, when + "\n") != 0) std::abort();
    if (block.size() < texts.separator.size() ||
        block.compare(block.size() - texts.separator.size(), std::string::npos, texts.separator))
        std::abort();
    if ((action == 1 || action == 2) && block.find(target) == std::string::npos) std::abort();
    std::string onDisk = withCrLf(block);
    for (size_t i = 0; i < onDisk.size(); ++i)
        if (onDisk[i] == '\n' && (i == 0 || onDisk[i - 1] != '\r')) std::abort();
    std::string message = registryMessage(texts, when, target, action, status);
    if (message.find(when) == std::string::npos) std::abort();
    const std::string rescue = "C:\\T\\Tarnel rescue\\" + target;
    std::string rescued = rescueBlock(texts, when, target, action, rescue);
    if (rescued.compare(0, when.size() + 1, when + "\n") != 0) std::abort();
    if (rescued.find(rescue) == std::string::npos) std::abort();
    if (rescued.compare(rescued.size() - texts.separator.size(), std::string::npos,
                        texts.separator))
        std::abort();
    std::string rescueText = rescueMessage(texts, when, target, rescue);
    if (rescueText.find(rescue) == std::string::npos || rescueText.find(when) == std::string::npos)
        std::abort();
    return 0;
}
