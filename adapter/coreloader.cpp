// The core beside the adapter: TarnelCore.dll from the adapter's own
// folder, loaded at the first start (never inside the library entry) and
// kept while the host runs, as its threads may outlast an unload.
#include <windows.h>
#include "adapter/adapter.h"

namespace {
HMODULE core = 0;
} // namespace

TarnelCoreOpenFn loadCore(const char* path, char* why, unsigned long size) {
    if (!core) core = LoadLibraryA(path);
    if (!core) {
        wsprintfA(why, "%.300s could not be loaded (error %lu): install Tarnel again.", path,
                  GetLastError());
        return 0;
    }
    TarnelCoreOpenFn open =
        reinterpret_cast<TarnelCoreOpenFn>(reinterpret_cast<void (*)()>(GetProcAddress(core, TARNEL_CORE_OPEN)));
    if (!open && size > 0)
        wsprintfA(why, "%.300s is not Tarnel's core: install Tarnel again.", path);
    return open;
}
