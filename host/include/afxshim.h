// The host's MFC services a module meets, shaped as MFC's own: the current
// resource handle and the resource search chain, extension modules, and the
// application object with its message pump. The windows and dialogs of the
// module's own are its UI library's (ui/afxwin.h), not the host's.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include "hostapi.h"

struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentResourceHandle;
};
HOST_API AFX_MODULE_STATE* AfxGetModuleState();

struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
};
HOST_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
HOST_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

// Puts an extension module's resources on the resource search chain.
class HOST_API CDynLinkLibrary {
  public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
    virtual ~CDynLinkLibrary();
    HMODULE m_hModule;
    HMODULE m_hResource;
    BOOL m_bSystem;
    CDynLinkLibrary* m_pNextDLL;
};

// The current resource handle if it has the resource, else the first library
// on the chain that has it, else the current resource handle.
HOST_API HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type);

class HOST_API CWinApp {
  public:
    CWinApp();
    virtual ~CWinApp();
    // Retrieves, translates and dispatches one message, waiting for one if
    // none is queued; FALSE when it retrieved WM_QUIT.
    virtual BOOL PumpMessage();
    const char* m_pszAppName;
    HWND m_hWndMain; // the application's main window, owner of its dialogs
};
HOST_API CWinApp* AfxGetApp();
// The message the thread's last PumpMessage retrieved (WM_QUIT with its exit
// code when PumpMessage returned FALSE).
HOST_API MSG* AfxGetCurrentMessage();
