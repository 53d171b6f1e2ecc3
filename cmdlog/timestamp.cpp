#include "cmdlog/timestamp.h"
#include <sys/timeb.h>

TimeStamp currentTimeStamp() {
    struct _timeb now;
    _ftime(&now);
    return {(int32_t)now.time, (uint16_t)now.millitm};
}
