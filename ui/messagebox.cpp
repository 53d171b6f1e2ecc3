// MFC's message box of the application.
#include "ui/afxwin.h"
#include "ui/uiapp.h"

int AfxMessageBox(const char* text, UINT type, UINT) {
    HWND owner = GetActiveWindow();
    if (!owner) owner = ui::applicationWindow();
    if (owner) owner = GetLastActivePopup(GetAncestor(owner, GA_ROOT));
    // As MFC does: a box without an icon gets the one its buttons suggest.
    if ((type & MB_ICONMASK) == 0) {
        UINT buttons = type & MB_TYPEMASK;
        if (buttons == MB_OK || buttons == MB_OKCANCEL)
            type |= MB_ICONEXCLAMATION;
        else if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL)
            type |= MB_ICONQUESTION;
    }
    return MessageBoxA(owner, text, ui::applicationName(), type);
}
