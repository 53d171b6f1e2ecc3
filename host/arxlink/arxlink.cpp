// Exports every host module carries: the API version handshake and the
// pointer set-up the host calls before the first message.
#include "acrx.h"

namespace {
void* hostPointerTable = nullptr;
}

extern "C" __declspec(dllexport) int acrxGetApiVersion() {
    return ACRX_API_VERSION;
}

extern "C" __declspec(dllexport) void _SetacrxPtp(void* table) {
    hostPointerTable = table;
}
