// The message the previous run left in the registry, shown once at start-up.
#include <cstring>
#include "aced.h"
#include "guardapp.h"
#include "handles.h"
#include "resource.h"
#include "stringloader.h"

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
    MessageBoxA(adsw_acadMainWnd(), text, caption.c_str(), MB_ICONINFORMATION | MB_OK);
    RegDeleteValueA(key.get(), "Message");
}
