#include "shell/lastrunmessage.h"
#include <string>
#include <vector>
#include "aced.h"
#include "shell/guardapp.h"
#include "common/handles.h"
#include "resources/resource.h"
#include "shell/stringloader.h"

void showLastRunMessage() {
    RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, tarnelRegistryKey().c_str(), 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, key.put()) != ERROR_SUCCESS)
        return;
    // The value is read whole, whatever its length, so a long one is shown
    // (as much as the box takes) and deleted instead of coming back at
    // every start. The registry does not promise a terminator.
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), "Message", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return;
    std::vector<char> buffer(size + 1, '\0');
    if (RegQueryValueExA(key.get(), "Message", nullptr, nullptr, (LPBYTE)buffer.data(), &size) !=
        ERROR_SUCCESS)
        return;
    std::string text = buffer.data(); // the buffer has a zero past the value
    if (text.size() > kLastRunShownMax) text.resize(kLastRunShownMax);
    if (text.empty()) return;
    std::string caption = loadString(IDS_LASTRUN_CAPTION);
    // A box that could not be shown has told nobody: the message stays. That
    // is 0 from Windows; Wine passes on the dialog's -1.
    if (MessageBoxA(adsw_acadMainWnd(), text.c_str(), caption.c_str(),
                    MB_ICONINFORMATION | MB_OK) <= 0)
        return;
    RegDeleteValueA(key.get(), "Message");
}
