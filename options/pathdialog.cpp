#include "options/pathdialog.h"
#include <shlobj.h>
#include "common/currentdirectory.h"
#include "common/shield.h"
#include "common/testseam.h"
#include "ui/uiapp.h"

namespace {
bool versionTested = false;
bool useShellBrowser = false;

// Frees a shell item and releases the allocator on every way out.
struct ShellMalloc {
    IMalloc* malloc = nullptr;
    ~ShellMalloc() {
        if (malloc) malloc->Release();
    }
};
} // namespace

BEGIN_MESSAGE_MAP(CPathDialog, CFileDialog)
ON_WM_PAINT()
END_MESSAGE_MAP()

CPathDialog::CPathDialog(CWnd* parent)
    : CFileDialog(FALSE, nullptr, nullptr,
                  OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_SHOWHELP |
                      OFN_ENABLETEMPLATE,
                  nullptr, parent),
      parentWindow(parent) {
    m_ofn.hInstance = ui::currentResources();
    m_ofn.lpTemplateName = "DIRSELECT";
    m_ofn.Flags &= ~OFN_EXPLORER;
    if (!versionTested) {
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof info;
        if (GetVersionExA(&info)) useShellBrowser = info.dwMajorVersion >= 4;
        versionTested = true;
    }
}

INT_PTR CPathDialog::DoModal() {
    // The old-style dialog moves the working directory whatever
    // OFN_NOCHANGEDIR says, and the report log and copies of unnamed
    // drawings follow the working directory.
    CurrentDirectoryScope keepWorkingDirectory;
    const testseam::FolderDialog choice = testseam::switches().folderDialog;
    const bool shell = choice == testseam::FolderDialog::AsSystem
                           ? useShellBrowser
                           : choice == testseam::FolderDialog::Shell;
    if (!shell) {
        legacy_ = true;
        return CFileDialog::DoModal();
    }
    legacy_ = false;
    return browseWithShell();
}

INT_PTR CPathDialog::browseWithShell() {
    ShellMalloc shell;
    if (FAILED(SHGetMalloc(&shell.malloc)) || !shell.malloc) return IDCANCEL;
    char buffer[MAX_PATH] = {};
    BROWSEINFOA bi = {};
    bi.hwndOwner = parentWindow ? parentWindow->m_hWnd : nullptr;
    bi.pszDisplayName = buffer;
    bi.lpszTitle = "";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
    INT_PTR result = IDCANCEL;
    if (LPITEMIDLIST item = SHBrowseForFolderA(&bi)) {
        if (SHGetPathFromIDListA(item, buffer)) {
            chosenFolder_ = buffer;
            result = IDOK;
        }
        shell.malloc->Free(item);
    }
    return result;
}

BOOL CPathDialog::OnInitDialog() {
    shielded([&] {
        CenterWindow();
        for (int id : {1089, 1090, 1152, 1120, 1136, 1038})
            if (HWND h = ::GetDlgItem(m_hWnd, id)) ::ShowWindow(h, SW_HIDE);
        ::SetDlgItemTextA(m_hWnd, 1152, "Junk");
        ::SetFocus(::GetDlgItem(m_hWnd, 1121));
        firstPaint = TRUE;
        CDialog::OnInitDialog();
    });
    return FALSE; // the focus is set
}

void CPathDialog::OnPaint() {
    CPaintDC dc(this);
    if (firstPaint) {
        firstPaint = FALSE;
        ::SendDlgItemMessageA(m_hWnd, 1121, LB_SETCURSEL, 0, 0);
    }
}

std::string CPathDialog::chosenFolder() {
    if (legacy_ && m_ofn.nFileOffset > 0 && m_ofn.nFileOffset <= lstrlenA(m_szFileName)) {
        std::string path = m_szFileName;
        chosenFolder_ = path.substr(0, m_ofn.nFileOffset - 1u);
    }
    return chosenFolder_;
}
