#include "cmdlog/journal.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include "cmdlog/logwriter.h"
#include "common/utf8.h"
#include "settings/folderpath.h"
#include "settings/guardsettings.h"
#include "settings/settingsformat.h"

namespace {


// The computer's name, asked once: it names the file and fills a column.
const std::string& computerName() {
    static const std::string name = [] {
        char text[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD n = sizeof text;
        return GetComputerNameA(text, &n) ? std::string(text, n) : std::string("computer");
    }();
    return name;
}

std::string userName() {
    char name[256] = {};
    const DWORD n = GetEnvironmentVariableA("USERNAME", name, sizeof name);
    return n > 0 && n < sizeof name ? std::string(name, n) : std::string();
}

std::string nowText() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    TIME_ZONE_INFORMATION zone;
    const DWORD which = GetTimeZoneInformation(&zone);
    LONG bias = zone.Bias;
    if (which == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
    if (which == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
    if (which == TIME_ZONE_ID_INVALID) bias = 0;
    return journalTimeText({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, (int)-bias});
}

// A UTF-8 mark and the header row, so a spreadsheet opens the file as it is.
std::string journalHeader() {
    return std::string("\xEF\xBB\xBF") + kJournalColumns + "\r\n";
}

// The event's line now: texts in the user's code page written as UTF-8.
std::string lineFor(JournalEvent e) {
    e.drawing = ansiToUtf8(e.drawing);
    e.detail = ansiToUtf8(e.detail);
    return journalLine(nowText(), ansiToUtf8(computerName()), ansiToUtf8(userName()), journalSession(), e);
}

std::string journalLost(unsigned long lost) {
    return lineFor(
        JournalEvent(journalevent::kLost)
            .withDetail(std::to_string(lost) +
                        " journal lines were lost while the journal could not be written"));
}

const LogKind kJournal = {"journal", journalHeader, journalLost, "journal lines", nullptr};

DWORD sessionStartTick = 0;
bool closedByModule = false;
// The settings of the session being journaled, from journalStart to
// journalEnd; they are read at each event, so a folder changed in the
// options dialog takes effect at once.
const GuardSettings* sessionSettings = nullptr;
// The settings the journal last named, so a change is journaled once.
std::string journaledSettings;

// A licence key while no server is set: it does nothing, and is left out.
bool licenseKeyWithoutServer(const settingsformat::Values& values, const settingsformat::KeyInfo& key) {
    return values.licenseServer.empty() && std::string(key.name).compare(0, 7, "License") == 0;
}

// The settings in effect (all but the password, and the licence keys while
// no server is set), and those Group Policy set.
std::string settingsDetail(const GuardSettings& settings) {
    std::string detail, byPolicy;
    for (int i = 0; i < settingsformat::kKeyCount; ++i) {
        const settingsformat::KeyInfo& k = settingsformat::kKeys[i];
        if (k.text == &settingsformat::Values::password) continue;
        if (licenseKeyWithoutServer(settings.effectiveValues(), k)) continue;
        detail += (detail.empty() ? "" : ";") + std::string(k.name) + "=" +
                  settingsformat::valueText(settings.effectiveValues(), k);
        if (settings.policy().sets(i))
            byPolicy += (byPolicy.empty() ? "" : " ") + std::string(k.name);
    }
    // The settings Group Policy set, when it set any.
    if (!byPolicy.empty()) detail += ";Policy=" + byPolicy;
    return detail;
}

} // namespace

void journalStart(const GuardSettings& settings) {
    sessionStartTick = GetTickCount();
    closedByModule = false;
    sessionSettings = &settings;
    journaledSettings = settingsDetail(settings);
    journal(JournalEvent(journalevent::kStart).withDetail(journaledSettings));
}

void journalSettingsChanged() {
    const GuardSettings* s = sessionSettings;
    if (!s) return;
    std::string detail = settingsDetail(*s);
    if (detail == journaledSettings) return;
    journaledSettings = std::move(detail);
    journal(JournalEvent(journalevent::kSettings).withDetail(journaledSettings));
}

void journalHostClosed() {
    closedByModule = true;
    journal(JournalEvent(journalevent::kHostClosed));
}

void journalEnd() {
    journal(JournalEvent(journalevent::kEnd)
                .withSeconds((GetTickCount() - sessionStartTick) / 1000)
                .withDetail(closedByModule ? "module" : "user"));
    sessionSettings = nullptr;
}

std::string journalFileIn(const std::string& written) {
    const std::string folder = folderpath::inUse(written);
    if (folder.empty()) return folder;
    return folder + (folder.back() == '\\' ? "" : "\\") + computerName() + ".csv";
}

const std::string& journalSession() {
    static const std::string id = [] {
        char text[32];
        std::snprintf(text, sizeof text, "%08lx-%lx", (unsigned long)std::time(nullptr),
                      (unsigned long)GetCurrentProcessId());
        return std::string(text);
    }();
    return id;
}

void journal(const JournalEvent& event) {
    const GuardSettings* s = sessionSettings;
    if (!s || s->getJournalpath().empty()) return;
    appendJournal(journalFileIn(s->getJournalpath()), event);
}

const LogKind& journalLogKind() {
    return kJournal;
}

bool appendJournal(const std::string& file, const JournalEvent& event) {
    return appendRecord(file, kJournal, lineFor(event));
}
