// A static text that works as a web link: link colours, an underlined font,
// a hand cursor, a tool tip with its target, and a click that opens the
// target through the shell (or the registry's command for web pages).
#pragma once
#include <string>
#include "ui/afxwin.h"
#include "common/handles.h"

class HyperLinkCtrl : public CStatic {
  public:
    HyperLinkCtrl();
    ~HyperLinkCtrl() override;

    void setTarget(const std::string& text);
    void setOpened(BOOL opened);
    void fitToText();
    void loadHandCursor();
    // The shell's result, or the fallback's; above 32 is success.
    static INT_PTR openTarget(const std::string& target, int show);
    static void showOpenError(INT_PTR code);
    // The default value of root\key into out; a registry status.
    static LONG readClassesDefault(HKEY root, const std::string& key, std::string& out);
    // The text the error table gives for a result code, with its prefix.
    static std::string openErrorText(INT_PTR code);

    COLORREF colourNormal;
    COLORREF colourVisited;
    COLORREF colourHover;
    BOOL hovering = FALSE;
    BOOL wasOpened = FALSE;
    BOOL underlined = TRUE;
    BOOL autoFit = TRUE;
    std::string target;
    CFont underlineFont;
    CursorHandle handCursor;
    CToolTipCtrl tip;

    void PreSubclassWindow() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void onClicked();
    HBRUSH CtlColor(CDC* dc, UINT kind);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnMouseMove(UINT flags, CPoint point);
    // The tip's area follows the control whenever its size changes.
    void OnSize(UINT type, int cx, int cy);

  protected:
    DECLARE_MESSAGE_MAP()

  private:
    void redrawNow();
    void fitToolArea();
};
