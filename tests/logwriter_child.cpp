// Appends N records named NAME to FILE, as one more host sharing the log;
// with "hold MS" instead, holds FILE open alone for MS milliseconds, as
// another writer would.
#include <windows.h>
#include <cstdlib>
#include <cstring>
#include "cmdlog/logwriter.h"

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    if (std::strcmp(argv[2], "hold") == 0) {
        HANDLE h = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return 1;
        Sleep((DWORD)std::atoi(argv[3]));
        CloseHandle(h);
        return 0;
    }
    int n = std::atoi(argv[2]);
    TimeStamp t = {1765000000, 0};
    for (int i = 0; i < n; ++i)
        appendLogRecord(argv[1], argv[3], t, t);
    // What another writer held back is written before the host goes.
    return flushKeptLogRecords(30000) ? 0 : 1;
}
