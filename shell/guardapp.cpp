#include "shell/guardapp.h"
#include <cstdio>
#include <cstring>
#include <new>
#include "common/errortext.h"
#include "cmdlog/attachreactors.h"
#include "cmdlog/journal.h"
#include "cmdlog/logwriter.h"
#include "shell/lastrunmessage.h"
#include "shell/registrymessage.h"
#include "settings/guardsettings.h"
#include "settings/policyregistry.h"
#include "idle/idletimer.h"
#include "idle/licensegate.h"
#include "idle/sessionreport.h"
#include "options/optionscommand.h"
#include "shell/resourcescope.h"
#include "shell/hostcalls.h"

GuardApp::GuardApp() = default;
GuardApp::~GuardApp() = default;

GuardApp* guardApp() {
    return dynamic_cast<GuardApp*>(currentApp());
}

GuardSettings* appSettings() {
    GuardApp* app = guardApp();
    return app ? app->settings() : nullptr;
}

appmsg::Result GuardApp::onInitApp() {
    HostResourceScope scope(resourceInstance());
    const unsigned unloadsBefore = unloads_;
    showLastRunMessage();
    // The box runs a message loop: a host that ended meanwhile has unloaded
    // the module, and nothing may be started after that.
    if (unloads_ != unloadsBefore) return appmsg::kRetOK;
    const char* dir = moduleDirectory();
    const std::string folder = dir ? dir : ".";
    std::string configPath = folder + "\\tarnel.cfg";
    settings_.reset(new GuardSettings(configPath));
    settings_->buildLogFileName();
    policyFaultsReported_.clear();
    reportPolicyFaults();
    // Log records that could not be kept are told at the next start and in
    // the report log, from whichever thread finds them.
    const std::string messageKey = tarnelRegistryKey();
    onLogFault([messageKey](const std::string& sentence) {
        addRegistryLogFault(messageKey, sentence);
        reportLogFault(sentence);
    });
    // A log whose folder cannot be written is told once a start, at the
    // next one and in the report log, the command log's in the journal too.
    // The journal's file is taken now: the settings go with the unload.
    const std::string journalFile = journalFileIn(settings_->getJournalpath());
    onLogUnwritable([messageKey, journalFile](const LogKind& kind, const std::string& file,
                                              unsigned long error) {
        // The report log's blocks go to the temporary folder's instead.
        if (std::strcmp(kind.name, reportLogKind().name) == 0) return;
        const bool commandLog = std::strcmp(kind.name, commandLogKind().name) == 0;
        const std::string folder = file.substr(0, file.find_last_of('\\'));
        const std::string reason = systemErrorText(error);
        const std::string which = commandLog ? "command log" : "journal";
        addRegistryLogFault(messageKey, "The " + which + "'s folder " + folder +
                                            " cannot be written: " + reason +
                                            " Its records wait for a later start.");
        reportLogUnwritable(folder + " (the " + which + "): " + reason);
        if (commandLog)
            appendJournal(journalFile, JournalEvent(journalevent::kLogUnwritable)
                                           .withDetail(folder + ": " + reason));
    });
    // What an earlier unload could not write goes ahead of this start's lines.
    replayLogSpool({&commandLogKind(), &journalLogKind(), &reportLogKind()});
    if (settings_->getEnableLogging()) prepareLog(settings_->getLogFileName(), commandLogKind());
    prepareLog(journalFileIn(settings_->getJournalpath()), journalLogKind());
    bindOptionsCommand(settings_.get(), [this](int contextId) { showHelp(contextId); });
    attachReactors(*settings_);
    newLicenseSession(folder);
    startIdleTimer(*settings_);
    // A policy refresh reaches a running seat within a minute.
    onEveryMinute([] {
        if (GuardApp* app = guardApp()) app->refreshPolicy();
    });
    journalStart(*settings_);
    host::lockApplication();
    return appmsg::kRetOK;
}

appmsg::Result GuardApp::onUnloadApp() {
    ++unloads_;
    onEveryMinute(nullptr);
    detachReactors();
    endIdleWatch();
    journalEnd();
    // The last records are written now, or spooled for the next start.
    closeLogWriter(kLogUnloadWaitMs);
    onLogFault(nullptr);
    onLogUnwritable(nullptr);
    bindOptionsCommand(nullptr, nullptr);
    settings_.reset(); // its destructor writes the settings file
    return appmsg::kRetOK;
}

appmsg::Result GuardApp::onLoadDwg() {
    resetIdle();
    return appmsg::kRetOK;
}

void GuardApp::showHelp(int contextId) {
    if (!helpLibrary_) helpLibrary_ = LoadLibraryA("hhctrl.ocx");
    if (!helpLibrary_) return;
    typedef HWND(WINAPI * HtmlHelpFn)(HWND, LPCSTR, UINT, DWORD_PTR);
    auto htmlHelp = reinterpret_cast<HtmlHelpFn>(
        reinterpret_cast<void*>(GetProcAddress(helpLibrary_, MAKEINTRESOURCEA(14))));
    if (!htmlHelp) return;
    const char* dir = moduleDirectory();
    if (!dir) return;
    std::string path = std::string(dir) + "\\tarnel.chm";
    htmlHelp(nullptr, path.c_str(), 15 /* HH_HELP_CONTEXT */, (DWORD_PTR)contextId);
}

void GuardApp::writeSessionReport(const std::string& target, int action, int status,
                                  MessageChoice choice) {
    reportClosedDrawing(target, action, status, choice);
}

void GuardApp::refreshPolicy() {
    if (!settings_) return;
    const std::string folder = settings_->getLogfilepath();
    const int naming = settings_->getLogfilenameType();
    settings_->setPolicy(readPolicy());
    if (settings_->getLogfilepath() != folder || settings_->getLogfilenameType() != naming)
        settings_->buildLogFileName();
    followCountInput();
    journalSettingsChanged();
    reportPolicyFaults();
}

void GuardApp::reportPolicyFaults() {
    for (const std::string& fault : settings_->policy().faults)
        if (policyFaultsReported_.insert(fault).second) reportIgnoredPolicy(fault);
}
