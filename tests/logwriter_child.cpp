// Appends N records named NAME to FILE, as one more host sharing the log
// (with "journal" after them, N journal lines of the event NAME, seconds
// 0 to N-1); with "hold MS" instead, holds FILE open alone for MS
// milliseconds, as another writer would.
#include <windows.h>
#include <cstdlib>
#include <cstring>
#include "cmdlog/journal.h"
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
    const bool journalLines = argc > 4 && std::strcmp(argv[4], "journal") == 0;
    for (int i = 0; i < n; ++i) {
        if (!journalLines) {
            appendLogRecord(argv[1], argv[3], t, t);
            continue;
        }
        JournalEvent e;
        e.event = argv[3];
        e.seconds = i;
        appendJournal(argv[1], e);
    }
    // What another writer held back is written before the host goes.
    return waitLogWritten(30000) ? 0 : 1;
}
