// A core built for the next port version, as a seat meets one when its
// adapter and its core come from two packages: it refuses every adapter of
// this version as such a core does, leaving its own version for the
// adapter's sentence.
#include "port/hostport.h"

extern "C" __declspec(dllexport) int TARNEL_CALL TarnelCoreOpen(const TarnelHostOps*,
                                                               TarnelCoreEvents* events) {
    if (events) events->version = TARNEL_PORT_VERSION + 1;
    return TARNEL_PORT_OTHER_VERSION;
}
