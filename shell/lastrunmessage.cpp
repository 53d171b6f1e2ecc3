#include "shell/lastrunmessage.h"
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
    char text[1024];
    DWORD size = sizeof text;
    if (RegQueryValueExA(key.get(), "Message", nullptr, nullptr, (LPBYTE)text, &size) !=
        ERROR_SUCCESS)
        return;
    // The registry does not promise a terminator: the text ends within the buffer.
    text[size < sizeof text ? size : sizeof text - 1] = '\0';
    if (text[0] == '\0') return;
    std::string caption = loadString(IDS_LASTRUN_CAPTION);
    // A box that could not be shown has told nobody: the message stays. That
    // is 0 from Windows; Wine passes on the dialog's -1.
    if (MessageBoxA(adsw_acadMainWnd(), text, caption.c_str(), MB_ICONINFORMATION | MB_OK) <= 0)
        return;
    RegDeleteValueA(key.get(), "Message");
}
