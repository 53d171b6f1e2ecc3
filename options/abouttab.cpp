#include "options/abouttab.h"
#include <vector>
#include "common/shield.h"
#include "common/textformat.h"
#include "resources/publisher.h"
#include "resources/resource.h"
#include "shell/arxapplication.h"

std::string moduleFileVersion(HMODULE module) {
    if (!module) return std::string();
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return std::string();
    std::vector<char> info(size);
    if (!GetFileVersionInfoA(path, 0, size, info.data())) return std::string();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return std::string();
    return formatText("%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                      HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
}

AboutTab::AboutTab(CWnd* parent) : CAcUiTabChildDialog(parent, nullptr) {}

void AboutTab::DoDataExchange(CDataExchange* dx) {
    CAcUiTabChildDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_ABOUT_LINK, link_);
}

BOOL AboutTab::OnInitDialog() {
    shielded([&] {
        CAdUiBaseDialog::OnInitDialog();
        link_.SetWindowText(TARNEL_PUBLISHER_URL);
        link_.setTarget(TARNEL_PUBLISHER_URL);
        ArxApplication* app = currentApp();
        SetDlgItemText(IDC_ABOUT_VERSION,
                       moduleFileVersion(app ? app->moduleInstance() : nullptr).c_str());
    });
    return TRUE;
}
