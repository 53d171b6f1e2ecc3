// A moment as whole seconds since 1970 and milliseconds.
#pragma once
#include <cstdint>

struct TimeStamp {
    int32_t seconds;
    uint16_t milliseconds;
};

TimeStamp currentTimeStamp();
