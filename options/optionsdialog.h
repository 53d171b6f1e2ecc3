// The options dialog: four pages in a tab control; OK validates the page in
// front, writes the settings file and restarts the idle count.
#pragma once
#include <functional>
#include "ui/acui.h"
#include "options/abouttab.h"
#include "options/configurationtab.h"
#include "options/loggingtab.h"
#include "options/passwordtab.h"

class OptionsDialog : public CAcUiTabMainDialog {
  public:
    // Shows and stores settings; F1 asks help for the options topic.
    OptionsDialog(CWnd* parent, GuardSettings& settings, std::function<void(int)> help);

    CAdUiTab& tab() { return tab_; }
    AboutTab& aboutPage() { return aboutPage_; }

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void onTabChanging(NMHDR* header, LRESULT* result);
    BOOL OnHelpInfo(HELPINFO* info);
    DECLARE_MESSAGE_MAP()

  private:
    CAdUiTabChildDialog* activePage() const;
    GuardSettings& settings_;
    std::function<void(int)> help_;
    // In the order they are built; the tabs show them in another order.
    CAdUiTab tab_;
    PasswordTab passwordPage_;
    ConfigurationTab configurationPage_;
    LoggingTab loggingPage_;
    AboutTab aboutPage_;
};
