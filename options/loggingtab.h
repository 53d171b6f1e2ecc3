// The "Logging" page: the command log on or off, its folder and its naming.
#pragma once
#include <string>
#include "ui/acui.h"

class GuardSettings;

class LoggingTab : public CAcUiTabChildDialog {
  public:
    // The page shows and stores settings, which outlive it.
    explicit LoggingTab(GuardSettings& settings, CWnd* parent = nullptr);
    // True when text names a folder (as people write folders) that takes
    // new files named up to longestName characters; false after a message
    // saying which folder and why otherwise.
    bool validateLogFolder(const std::string& text, size_t longestName);

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL ExchangeData(BOOL save) override;
    void onBrowseFolder();
    void onBrowseJournal();
    // The folder chooser, its choice written into the field.
    void browseInto(int field);
    void onEnableLoggingClicked();
    DECLARE_MESSAGE_MAP()

  private:
    GuardSettings& settings_;
    int enableLoggingCheck = 0;
    int fileNameTypeChoice = 0;
};
