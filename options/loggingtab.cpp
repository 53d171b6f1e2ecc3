#include "options/loggingtab.h"
#include <cctype>
#include "common/shield.h"
#include "options/policycontrols.h"
#include "options/pathdialog.h"
#include "resources/resource.h"
#include "settings/foldercheck.h"
#include "settings/guardsettings.h"
#include "settings/settingsformat.h"

BEGIN_MESSAGE_MAP(LoggingTab, CAcUiTabChildDialog)
ON_BN_CLICKED(IDC_LOGGING_BROWSE, onBrowseFolder)
ON_BN_CLICKED(IDC_LOGGING_ENABLE, onEnableLoggingClicked)
ON_BN_CLICKED(IDC_LOGGING_JOURNAL_BROWSE, onBrowseJournal)
END_MESSAGE_MAP()

LoggingTab::LoggingTab(GuardSettings& settings, CWnd* parent)
    : CAcUiTabChildDialog(parent, nullptr), settings_(settings) {}

void LoggingTab::DoDataExchange(CDataExchange* dx) {
    CAcUiTabChildDialog::DoDataExchange(dx);
    DDX_Check(dx, IDC_LOGGING_ENABLE, enableLoggingCheck);
    DDX_Radio(dx, IDC_LOGGING_ONE_FILE, fileNameTypeChoice);
}

namespace {
const std::initializer_list<PolicyControl> kControls = {
    {IDC_LOGGING_ENABLE, "EnableLogging"},      {IDC_LOGGING_FOLDER, "Logfilepath"},
    {IDC_LOGGING_BROWSE, "Logfilepath"},        {IDC_LOGGING_ONE_FILE, "LogfilenameType"},
    {IDC_LOGGING_PER_USER, "LogfilenameType"},  {IDC_LOGGING_JOURNAL, "Journalpath"},
    {IDC_LOGGING_JOURNAL_BROWSE, "Journalpath"}};
} // namespace

BOOL LoggingTab::OnInitDialog() {
    shielded([&] {
        CAdUiBaseDialog::OnInitDialog();
        DisplayData();
        showPolicy(m_hWnd, settings_, kControls);
    });
    return TRUE;
}

bool LoggingTab::validateLogFolder(const std::string& text, size_t longestName) {
    std::string why = foldercheck::whyNot(text, longestName);
    if (why.empty()) return true;
    why[0] = (char)std::toupper((unsigned char)why[0]);
    GetMainDialog()->MessageBox(("Directory name is not valid!\n\n" + why + ".").c_str(),
                                "Invalid name", MB_ICONINFORMATION);
    return false;
}

BOOL LoggingTab::ExchangeData(BOOL save) {
    if (!save) {
        enableLoggingCheck = settings_.getEnableLogging() ? 1 : 0;
        SetDlgItemText(IDC_LOGGING_FOLDER, settings_.getLogfilepath().c_str());
        SetDlgItemText(IDC_LOGGING_JOURNAL, settings_.getJournalpath().c_str());
        fileNameTypeChoice = settings_.getLogfilenameType();
        UpdateData(FALSE);
        return TRUE;
    }
    UpdateData(TRUE);
    // The folder is checked before anything is stored: a page that refuses
    // leaves the settings as they were.
    // A folder Group Policy sets is the administrator's: not the user's to fix.
    const std::string folder = GetDlgItemText(IDC_LOGGING_FOLDER);
    // The naming in force once stored: no button selected keeps the one there.
    const settingsformat::KeyInfo& naming = *settingsformat::findKey("LogfilenameType");
    const bool chosen = fileNameTypeChoice >= naming.low && fileNameTypeChoice <= naming.high;
    const int type = chosen ? fileNameTypeChoice : settings_.getLogfilenameType();
    if (enableLoggingCheck && !heldByPolicy(settings_, "Logfilepath") &&
        !validateLogFolder(folder, foldercheck::commandLogName(type))) {
        SendMessage(WM_NEXTDLGCTL, (WPARAM)::GetDlgItem(m_hWnd, IDC_LOGGING_FOLDER), TRUE);
        return FALSE;
    }
    // The journal's folder may be empty (no journal); any other text is
    // checked as the command log's folder is.
    const std::string journal = settingsformat::trim(GetDlgItemText(IDC_LOGGING_JOURNAL));
    if (!journal.empty() && !heldByPolicy(settings_, "Journalpath") &&
        !validateLogFolder(journal, foldercheck::journalName())) {
        SendMessage(WM_NEXTDLGCTL, (WPARAM)::GetDlgItem(m_hWnd, IDC_LOGGING_JOURNAL), TRUE);
        return FALSE;
    }
    settings_.setJournalpath(journal);
    settings_.setEnableLogging(enableLoggingCheck != 0);
    if (!enableLoggingCheck) return TRUE;
    settings_.setLogfilepath(folder); // as typed: blanks and a trailing separator stay
    if (chosen) settings_.setLogfilenameType(fileNameTypeChoice);
    return TRUE;
}

void LoggingTab::onEnableLoggingClicked() {
    HWND check = ::GetDlgItem(m_hWnd, IDC_LOGGING_ENABLE);
    if (!check) return;
    const BOOL ticked = ::SendMessageA(check, BM_GETCHECK, 0, 0) != 0;
    for (const PolicyControl& c : kControls) {
        if (c.id == IDC_LOGGING_ENABLE || c.id == IDC_LOGGING_JOURNAL ||
            c.id == IDC_LOGGING_JOURNAL_BROWSE)
            continue;
        // A control Group Policy holds stays as the policy left it.
        if (HWND h = ::GetDlgItem(m_hWnd, c.id))
            ::EnableWindow(h, ticked && !heldByPolicy(settings_, c.key));
    }
}

void LoggingTab::onBrowseFolder() {
    browseInto(IDC_LOGGING_FOLDER);
}

void LoggingTab::onBrowseJournal() {
    browseInto(IDC_LOGGING_JOURNAL);
}

void LoggingTab::browseInto(int field) {
    CPathDialog dialog(GetMainDialog());
    if (dialog.DoModal() == IDOK) SetDlgItemText(field, dialog.chosenFolder().c_str());
}
