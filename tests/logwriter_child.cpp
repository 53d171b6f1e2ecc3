// Appends N records named NAME to FILE, as one more host sharing the log.
#include <cstdlib>
#include "cmdlog/logwriter.h"

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    int n = std::atoi(argv[2]);
    TimeStamp t = {1765000000, 0};
    for (int i = 0; i < n; ++i)
        if (!appendLogRecord(argv[1], argv[3], t, t)) return 1;
    return 0;
}
