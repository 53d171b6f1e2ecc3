// MFC-shaped services of the host: resource handles and chain, extension
// modules, the application's message pump.
#include "internal.h"

namespace {

AFX_MODULE_STATE moduleState{};
CDynLinkLibrary* chainHead = nullptr;

bool hasResource(HINSTANCE h, LPCSTR name, LPCSTR type) {
    return h && FindResourceA(h, name, type) != nullptr;
}

// Dialog keys (Tab, Enter, Esc) go to the modeless dialog that owns the window.
bool dialogMessage(MSG& msg) {
    if (!msg.hwnd) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    char cls[16] = {};
    if (!root || !GetClassNameA(root, cls, sizeof cls) || lstrcmpA(cls, "#32770") != 0)
        return false;
    return IsDialogMessageA(root, &msg) != FALSE;
}

class DefaultApp : public CWinApp {};

} // namespace

AFX_MODULE_STATE* AfxGetModuleState() {
    return &moduleState;
}

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
    if (!module) return FALSE;
    state.hModule = module;
    state.hResource = module;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL) {
    for (CDynLinkLibrary* p = chainHead; p;) {
        CDynLinkLibrary* next = p->m_pNextDLL;
        if (p->m_hModule == state.hModule) delete p;
        p = next;
    }
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(system),
      m_pNextDLL(chainHead) {
    chainHead = this;
}

CDynLinkLibrary::~CDynLinkLibrary() {
    for (CDynLinkLibrary** p = &chainHead; *p; p = &(*p)->m_pNextDLL)
        if (*p == this) {
            *p = m_pNextDLL;
            break;
        }
}

HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type) {
    HINSTANCE current = moduleState.m_hCurrentResourceHandle;
    if (hasResource(current, name, type)) return current;
    for (CDynLinkLibrary* p = chainHead; p; p = p->m_pNextDLL)
        if (hasResource(p->m_hResource, name, type)) return p->m_hResource;
    return current;
}

CWinApp::CWinApp() : m_pszAppName("CAD Host"), m_hWndMain(nullptr) {}

CWinApp::~CWinApp() = default;

MSG* AfxGetCurrentMessage() {
    static MSG current = {};
    return &current;
}

BOOL CWinApp::PumpMessage() {
    MSG& msg = *AfxGetCurrentMessage();
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) return FALSE;
    if (!dialogMessage(msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return TRUE;
}

CWinApp* AfxGetApp() {
    static DefaultApp app;
    return &app;
}
