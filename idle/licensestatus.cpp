#include "idle/licensestatus.h"
#include <cctype>
#include <cstdlib>
#include <vector>

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || std::isspace((unsigned char)line.back())))
            line.pop_back();
        size_t first = 0;
        while (first < line.size() && std::isspace((unsigned char)line[first]))
            ++first;
        lines.push_back(line.substr(first));
        start = end + 1;
    }
    return lines;
}

// The number after "Total of " at or after from, followed by " license"
// (or " licenses") and then word; -1 when it is not there.
int totalBefore(const std::string& line, size_t from, const char* word, size_t& after) {
    const std::string lead = "Total of ";
    size_t at = line.find(lead, from);
    if (at == std::string::npos) return -1;
    at += lead.size();
    size_t end = at;
    while (end < line.size() && std::isdigit((unsigned char)line[end]))
        ++end;
    if (end == at || end - at > 9) return -1;
    const int number = std::atoi(line.substr(at, end - at).c_str());
    std::string rest = line.substr(end);
    for (const char* form : {" licenses ", " license "}) {
        const std::string expected = std::string(form) + word;
        if (rest.compare(0, expected.size(), expected) == 0) {
            after = end + expected.size();
            return number;
        }
    }
    return -1;
}

bool says(const std::string& line, const char* part) {
    return line.find(part) != std::string::npos;
}

} // namespace

LicenseStatus readLicenseStatus(const std::string& output, const std::string& feature) {
    LicenseStatus status;
    const std::string head = "Users of " + feature + ":";
    std::string serverError;
    for (const std::string& line : linesOf(output)) {
        if (line.compare(0, head.size(), head) == 0) {
            size_t after = head.size();
            const int issued = totalBefore(line, after, "issued", after);
            const int inUse = issued < 0 ? -1 : totalBefore(line, after, "in use", after);
            if (issued >= 0 && inUse >= 0) {
                status.known = true;
                status.issued = issued;
                status.inUse = inUse;
                status.reason.clear();
                return status;
            }
            std::string detail = line.substr(head.size());
            while (!detail.empty() && detail.front() == ' ')
                detail.erase(0, 1);
            status.reason = "the server answered for " + feature + ": " + detail;
            return status;
        }
        if (serverError.empty() &&
            (says(line, "Cannot connect") || says(line, "not running") ||
             says(line, "Error") || says(line, "error") || says(line, "is down")))
            serverError = line;
    }
    status.reason = !serverError.empty() ? "the server answered: " + serverError
                    : output.empty()     ? "the status tool printed nothing"
                                         : "no line for " + feature + " in its answer";
    return status;
}

LicenseVerdict judgeLicenses(const LicenseStatus& status, int needFree) {
    if (!status.known) return LicenseVerdict::Unknown;
    return status.free() >= needFree ? LicenseVerdict::Keep : LicenseVerdict::Short;
}

std::string licencesFreeText(const LicenseStatus& status) {
    return std::to_string(status.free()) + " of " + std::to_string(status.issued) +
           (status.issued == 1 ? " licence free" : " licences free");
}
