// The host's own modal dialog, as its options command shows it: owned by
// the main window, which stays disabled while the dialog is open.
#include <cwchar>
#include "internal.h"

namespace cadhost {

int hostDialogsOpen = 0;

namespace {

const int kOptionsText = 200;

// A dialog template in memory: DLGTEMPLATE, then items aligned to DWORDs.
class TemplateWriter {
  public:
    void dialog(const wchar_t* caption, short items, short cx, short cy) {
        DLGTEMPLATE t = {};
        t.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        t.cdit = items;
        t.cx = cx;
        t.cy = cy;
        put(&t, sizeof t);
        word(0); // no menu
        word(0); // the dialog class
        text(caption);
        word(8);
        text(L"MS Shell Dlg");
    }
    void item(WORD classAtom, DWORD style, int id, const wchar_t* caption, short x, short y,
              short cx, short cy) {
        align();
        DLGITEMTEMPLATE i = {};
        i.style = style | WS_CHILD | WS_VISIBLE;
        i.x = x;
        i.y = y;
        i.cx = cx;
        i.cy = cy;
        i.id = (WORD)id;
        put(&i, sizeof i);
        word(0xFFFF);
        word(classAtom);
        text(caption);
        word(0); // no creation data
    }
    const DLGTEMPLATE* get() const { return (const DLGTEMPLATE*)bytes_.data(); }

  private:
    void put(const void* p, size_t n) {
        const char* c = (const char*)p;
        bytes_.insert(bytes_.end(), c, c + n);
    }
    void word(WORD w) { put(&w, sizeof w); }
    void text(const wchar_t* s) { put(s, (std::wcslen(s) + 1) * sizeof(wchar_t)); }
    void align() {
        while (bytes_.size() % 4)
            bytes_.push_back(0);
    }
    std::vector<char> bytes_;
};

INT_PTR CALLBACK optionsProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        if (faults().slowDialogMs > 0) Sleep((DWORD)faults().slowDialogMs);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            EndDialog(hwnd, LOWORD(wp));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

bool runOptionsDialog() {
    TemplateWriter t;
    t.dialog(L"Options", 3, 220, 80);
    t.item(0x0082, SS_LEFT, kOptionsText, L"Files, display and drafting settings.", 8, 8, 204, 20);
    t.item(0x0080, BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, L"OK", 104, 58, 50, 14);
    t.item(0x0080, BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, L"Cancel", 162, 58, 50, 14);
    transcript("dialog Options opened");
    ++hostDialogsOpen;
    scriptWantsStep(); // a script may leave the host in the dialog
    const INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.get(),
                                                   adsw_acadMainWnd(), optionsProc, 0);
    --hostDialogsOpen;
    transcript("dialog Options closed with %s", result == IDOK ? "OK" : "Cancel");
    resumeExecuteStrings(); // input sent meanwhile is taken now
    scriptWantsStep();
    return result == IDOK;
}

} // namespace cadhost
