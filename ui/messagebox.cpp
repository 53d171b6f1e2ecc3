// MFC's message box of the application.
#include "ui/afxwin.h"

int AfxMessageBox(const char* text, UINT type, UINT) {
    HWND owner = GetActiveWindow();
    if (!owner) owner = AfxGetApp()->m_hWndMain;
    if (owner) owner = GetLastActivePopup(GetAncestor(owner, GA_ROOT));
    // As MFC does: a box without an icon gets the one its buttons suggest.
    if ((type & MB_ICONMASK) == 0) {
        UINT buttons = type & MB_TYPEMASK;
        if (buttons == MB_OK || buttons == MB_OKCANCEL)
            type |= MB_ICONEXCLAMATION;
        else if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL)
            type |= MB_ICONQUESTION;
    }
    return MessageBoxA(owner, text, AfxGetApp()->m_pszAppName, type);
}
