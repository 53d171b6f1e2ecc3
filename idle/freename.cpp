#include "idle/freename.h"
#include <windows.h>
#include "idle/savename.h"

std::string firstFreeName(const std::string& path) {
    for (int n = 1; n <= 99; ++n) {
        std::string name = numberedName(path, n);
        if (name.size() < MAX_PATH && GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES)
            return name;
    }
    return std::string();
}
