// The "About" page: the module's file version and the publisher's link.
#pragma once
#include <string>
#include "ui/acui.h"
#include "options/hyperlinkctrl.h"

class AboutTab : public CAcUiTabChildDialog {
  public:
    explicit AboutTab(CWnd* parent = nullptr);
    HyperLinkCtrl& link() { return link_; }

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

  private:
    HyperLinkCtrl link_;
};

// "major.minor.build.revision" of the module's version resource; empty when
// it has none.
std::string moduleFileVersion(HMODULE module);
