#pragma once

#include <chrono>
#include <cstdint>

namespace kelvo {

// Task files store moments as days since 30 December 1899, local time; the
// fraction is the time of day (also for negative values, as older files have).
using TDateTime = double;

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// False when a part is out of range.
bool TryEncodeDateTime(const DateTimeParts& parts, TDateTime& out);
DateTimeParts DecodeDateTime(TDateTime value);

TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);

using SystemTime = std::chrono::system_clock::time_point;

// Conversions through the local time zone of the process.
TDateTime DateTimeFromSystem(SystemTime when);
SystemTime SystemFromDateTime(TDateTime value);

} // namespace kelvo
