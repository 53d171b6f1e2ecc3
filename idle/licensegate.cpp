#include "idle/licensegate.h"
#include <set>
#include "cmdlog/journal.h"
#include "common/testseam.h"
#include "idle/licensequery.h"
#include "idle/sessionreport.h"
#include "settings/folderpath.h"
#include "settings/guardsettings.h"

namespace {

LicenseQuery question;
// The idle second the next question is due at; 0: at the first look.
int nextQuestion = 0;
std::string note;
// The reasons journaled and reported this session.
std::set<std::string> reasonsTold;
// Where the module is: a status tool there is the one a seat runs.
std::string moduleFolder = ".";

LicenseQuestion questionOf(const GuardSettings& s) {
    LicenseQuestion q;
    q.tool = licenseTool(folderpath::inUse(s.getLicenseTool()), moduleFolder);
    q.server = s.getLicenseServer();
    q.feature = s.getLicenseFeature();
    q.timeoutMs = testseam::switches().licenseTimeoutMs;
    return q;
}

bool closeUnknown(const std::string& reason) {
    note.clear();
    if (reasonsTold.insert(reason).second) {
        journal(JournalEvent(journalevent::kLicenseUnknown).withDetail(reason));
        reportLicenseUnknown(reason);
    }
    return true;
}

} // namespace

bool asksLicenseServer(const GuardSettings& settings) {
    return !settings.getLicenseServer().empty();
}

bool licenseSaysClose(int idleSeconds, const GuardSettings& s) {
    LicenseStatus status;
    if (!question.asking()) {
        if (idleSeconds < nextQuestion) return false;
        if (s.getLicenseFeature().empty()) return closeUnknown("no LicenseFeature is set");
        if (!question.ask(questionOf(s), status)) return closeUnknown(status.reason);
        return false; // the answer comes at a later tick
    }
    if (!question.answered(status)) return false;
    switch (judgeLicenses(status, s.getLicenseFree())) {
    case LicenseVerdict::Keep:
        journal(JournalEvent(s.getDryRun() ? journalevent::kWouldKeep : journalevent::kKept)
                    .withSeconds(idleSeconds)
                    .withDetail(licencesFreeText(status)));
        nextQuestion = idleSeconds + s.getLicenseRecheck() * 60;
        return false;
    case LicenseVerdict::Short:
        note = licencesFreeText(status);
        return true;
    case LicenseVerdict::Unknown:
        break;
    }
    return closeUnknown(status.reason);
}

bool licenseQuestionOut() {
    return question.asking();
}

const std::string& licenseNote() {
    return note;
}

void forgetLicenseQuestion() {
    question.drop();
    nextQuestion = 0;
    note.clear();
}

void newLicenseSession(const std::string& folder) {
    reasonsTold.clear();
    moduleFolder = folder;
}
