// The tests' core is linked into the test program: the adapter's entry
// opens it as it opens TarnelCore.dll on a seat.
#include "adapter/adapter.h"

TarnelCoreOpenFn loadCore(const char*, char*, unsigned long) {
    return TarnelCoreOpen;
}
