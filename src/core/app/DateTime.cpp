#include "app/DateTime.h"

#include <cmath>
#include <ctime>

namespace kelvo {

namespace {

constexpr double kMsPerDay = 86400000.0;

// Days from 1 January 1970 for a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30); // 1899-12-30 relative to 1970

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

} // namespace

bool TryEncodeDateTime(const DateTimeParts& p, TDateTime& out) {
    if (p.year < 1 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
        p.day > DaysInMonth(p.year, p.month))
        return false;
    if (p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59 || p.second < 0 ||
        p.second > 59 || p.millisecond < 0 || p.millisecond > 999)
        return false;
    const double days = static_cast<double>(DaysFromCivil(p.year, p.month, p.day) - kEpochOffset);
    const double time = ((p.hour * 60.0 + p.minute) * 60.0 + p.second) * 1000.0 + p.millisecond;
    // Before the epoch the integer part counts back while the fraction still
    // counts forward: 29 Dec 1899 06:00 is -1.25.
    out = days >= 0 ? days + time / kMsPerDay : days - time / kMsPerDay;
    return true;
}

DateTimeParts DecodeDateTime(TDateTime value) {
    DateTimeParts p;
    constexpr double kLastDay = 2958466; // 1 January 10000
    if (!(std::fabs(value) < kLastDay)) // also NaN: no moment of any calendar of ours
        value = 0;
    double whole = std::trunc(value);
    double fraction = std::fabs(value - whole);
    int64_t ms = std::llround(fraction * kMsPerDay);
    if (ms >= static_cast<int64_t>(kMsPerDay)) { // rounding up into the next day
        ms = 0;
        whole += value >= 0 ? 1 : -1;
    }
    CivilFromDays(static_cast<int64_t>(whole) + kEpochOffset, p.year, p.month, p.day);
    p.millisecond = static_cast<int>(ms % 1000);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.hour = static_cast<int>(ms / 3600000);
    return p;
}

TDateTime DateOf(TDateTime value) {
    return std::trunc(value);
}

TDateTime TimeOf(TDateTime value) {
    return std::fabs(value - std::trunc(value));
}

TDateTime DateTimeFromSystem(SystemTime when) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count();
    std::time_t seconds = static_cast<std::time_t>(ms >= 0 ? ms / 1000 : (ms - 999) / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    DateTimeParts p{local.tm_year + 1900,
                    local.tm_mon + 1,
                    local.tm_mday,
                    local.tm_hour,
                    local.tm_min,
                    local.tm_sec > 59 ? 59 : local.tm_sec,
                    static_cast<int>(ms - static_cast<int64_t>(seconds) * 1000)};
    TDateTime out = 0;
    TryEncodeDateTime(p, out);
    return out;
}

SystemTime SystemFromDateTime(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    std::tm local{};
    local.tm_year = p.year - 1900;
    local.tm_mon = p.month - 1;
    local.tm_mday = p.day;
    local.tm_hour = p.hour;
    local.tm_min = p.minute;
    local.tm_sec = p.second;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    return SystemTime(std::chrono::seconds(seconds)) + std::chrono::milliseconds(p.millisecond);
}

} // namespace kelvo
