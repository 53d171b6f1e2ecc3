// The folder chooser of the Logging page: the shell's folder browser, or on
// systems older than Windows 4 the old-style file dialog cut down to its
// folder list ("DIRSELECT").
#pragma once
#include <string>
#include "ui/afxwin.h"

class CPathDialog : public CFileDialog {
  public:
    explicit CPathDialog(CWnd* parent);
    // IDOK with a folder chosen, else IDCANCEL. The working directory is
    // the same afterwards, whatever the dialog did to it.
    INT_PTR DoModal() override;
    // The folder chosen, as the system returns it.
    std::string chosenFolder();

  protected:
    BOOL OnInitDialog() override;
    void OnPaint();
    DECLARE_MESSAGE_MAP()

  private:
    INT_PTR browseWithShell();
    CWnd* parentWindow;
    std::string chosenFolder_;
    BOOL firstPaint = FALSE;
    bool legacy_ = false;
};
