#pragma once

#include "app/DateTime.h"

namespace kelvo {

// The time as the program sees it; tests put a clock of their own in its place.
class Clock {
public:
    virtual ~Clock() = default;
    virtual SystemTime Now() const = 0;
};

const Clock& SystemClock();

} // namespace kelvo
